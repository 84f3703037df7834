// The reader at the end of the follower: lines of the decoder log into records appended to the
// spot log, with the alerts and the --keep-hours minutes beside it.
//
// A run that continues an earlier one first meets the spot log's tail (resume_state.h): the
// records the earlier run appended after its last commit. Reading the decoder log again from the
// committed position gives those records again, in the same order; each one found in the tail
// is not written again. The first record not found there ends the tail: what is left of it
// stays in the spot log as it is. A last tail line without its line end (a write cut short by
// a kill) is completed by the record that begins with it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "feed/alerts.h"
#include "feed/converter.h"
#include "feed/files.h"
#include "feed/follower.h"
#include "feed/kept_records.h"
#include "feed/line_splitter.h"

namespace feed {

// The records a run appended after its last commit, as found in the spot log.
struct SpotLogTail {
  // Whole records by their content (with CR LF, padding set aside): each one's size in the file.
  std::unordered_map<std::string, std::vector<int64_t>> records;
  int64_t recordCount = 0;
  int64_t recordBytes = 0;
  std::string cutShort;  // a last line without its line end
  // The tail's bytes taken apart.
  static SpotLogTail of(std::string_view bytes);
};

class SpotFeed : public FollowReader {
 public:
  SpotFeed(const ConverterOptions& options, SpotLogFile& spotLog);

  // Alerts for the decodes read from now on (none for those in the file at the start).
  void armAlerts(Alerter* alerter) { alerter_ = alerter; }
  // The minutes of the records appended go to `kept` as well.
  void keepRecords(KeptRecords* kept) { kept_ = kept; }
  // The clock for the kept records' window, read once per poll.
  void setNow(int64_t nowUtcMinutes) { now_ = nowUtcMinutes; }
  // Called at every new start of the decoder log and after every `checkpointBytes` written,
  // where the follower, this reader and the spot log agree, so that the state can be committed.
  void onCheckpoint(std::function<void()> checkpoint) { checkpoint_ = std::move(checkpoint); }

  // The spot log's tail, to be found again; `fallbackMinutes` is the decode minute given to
  // tail records that are never found (for --keep-hours).
  void takeUpTail(SpotLogTail tail, int64_t fallbackMinutes);
  // The decoder log was read to its end once: tail records not found by now stay as they are.
  void settleTail();
  // Bytes of the spot log that belong to the tail not yet found again: not covered by a commit.
  int64_t unsettledTailBytes() const {
    return tail_.recordBytes + static_cast<int64_t>(tail_.cutShort.size());
  }

  void bytes(std::string_view block) override;
  void startOver() override;
  bool keepReading() override;

  // The last line of a one-time conversion, even without its line end.
  void finish();
  // Writes the records gathered so far. False when the spot log cannot be written.
  bool flush();

  const std::string& writeError() const { return writeError_; }
  const Converter& converter() const { return converter_; }
  Converter& converter() { return converter_; }
  LineSplitter& splitter() { return splitter_; }

 private:
  void takeLine(std::string_view line, bool overlong);
  bool foundInTail(std::string_view record);
  void completeCutShortLine(size_t recordStart);

  LineSplitter splitter_;
  Converter converter_;
  SpotLogFile& spotLog_;
  std::string pending_;    // whole records not yet written
  std::string inBlocks_;  // the same, kept within the spot log's blocks (spot_record.h)
  std::string writeError_;
  Alerter* alerter_ = nullptr;
  KeptRecords* kept_ = nullptr;
  int64_t now_ = 0;
  std::function<void()> checkpoint_;
  int64_t writtenSinceCheckpoint_ = 0;
  SpotLogTail tail_;
  int64_t tailMinutes_ = 0;
};

}  // namespace feed
