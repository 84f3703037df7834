// Decoder log lines into spot-log records: parse, filter by band, skip what was already
// written, format. Keeps the counts the feed reports.
//
// Never a record twice in one run: when the decoder log starts again from its beginning
// (truncated or replaced), the lines are read again, and a decode is taken only when it is
// newer than the newest one written so far, or of that same minute and not yet written
// (decoders append in time order; the records of the newest minute are remembered for this,
// so memory stays flat).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "feed/bands.h"
#include "feed/decode_line.h"
#include "feed/decoder_log.h"
#include "feed/spot_record.h"

namespace feed {

struct FeedCounts {
  int64_t records = 0;                            // records written
  std::array<int64_t, modeCount> recordsOfMode{};  // the same by mode
  int64_t otherMode = 0;                          // rows of other modes
  int64_t ownTransmission = 0;                    // the station's own transmissions
  int64_t unreadable = 0;     // lines that parse as nothing (overlong ones included)
  int64_t lowConfidence = 0;  // decodes marked "?"
  int64_t noSender = 0;       // decodes whose message names no sender
  int64_t noHeading = 0;      // decodes before any row that gives their date or dial
  int64_t notes = 0;          // the decoder's notes
  int64_t outsideBand = 0;    // decodes outside the band asked for
  int64_t modeNotAsked = 0;   // decodes of a mode not asked for
  int64_t alreadyWritten = 0;  // decodes read again after the log started over
  int64_t skipped() const {
    return otherMode + ownTransmission + unreadable + lowConfidence + noSender + noHeading + notes;
  }
};

// The modes to keep, one bit each (1 << Mode).
using ModeSet = unsigned;
inline constexpr ModeSet allModes = (1u << modeCount) - 1;
inline constexpr ModeSet modeBit(Mode mode) { return 1u << static_cast<unsigned>(mode); }

struct ConverterOptions {
  std::optional<Band> band;  // keep only decodes in this band
  bool localTime = false;    // write the local time of day instead of UTC
  ModeSet modes = allModes;  // keep only decodes of these modes
};

// What a converter remembers of the records it wrote, so that a later run started on the same
// spot log skips what was written already (resume_state.h). Records without their line end.
struct ConverterMemory {
  int64_t newestMinutes = INT64_MIN;
  std::vector<std::string> newestRecords;
  bool startedOver = false;
  int64_t replayMinutes = INT64_MIN;
  std::vector<std::string> replayRecords;
  RowContext rows;  // what the decoder log's header or band rows said
};

class Converter {
 public:
  explicit Converter(ConverterOptions options) : options_(options) {}

  // Converts one line (without its LF). When it gives a record, appends the record to `out`
  // and returns true; `lastDecode()` then describes it until the next call. One thread.
  bool convertLine(std::string_view line, std::string& out);

  // Counts a line that was too long to be kept.
  void countOverlongLine() { ++counts_.unreadable; }

  // The decoder log starts again from its beginning: from here on, skip what was written.
  void startOver();

  // The last record converted was found in the spot log already: it counts as such.
  void countLastAsAlreadyWritten() {
    --counts_.records;
    --counts_.recordsOfMode[static_cast<size_t>(last_.mode)];
    ++counts_.alreadyWritten;
  }

  // The layout of the decoder log's rows, as far as they were read.
  Layout layout() const { return parser_.layout(); }

  ConverterMemory memory() const;
  void restore(const ConverterMemory& memory);

  const Decode& lastDecode() const { return last_; }
  TimeOfDay lastTime() const { return lastTime_; }
  int64_t lastUtcMinutes() const { return lastMinutes_; }
  const FeedCounts& counts() const { return counts_; }

 private:
  bool alreadyWritten(int64_t minutes, std::string_view record) const;
  void remember(int64_t minutes, std::string_view record);

  ConverterOptions options_;
  DecoderLogParser parser_;
  LocalTimeConverter localTime_;
  FeedCounts counts_;
  Decode last_;
  TimeOfDay lastTime_;
  int64_t lastMinutes_ = 0;

  // The newest minute written and its records.
  int64_t newestMinutes_ = INT64_MIN;
  std::unordered_set<std::string> newestRecords_;
  // After the log started over: what counts as written already.
  bool startedOver_ = false;
  int64_t replayMinutes_ = INT64_MIN;
  std::unordered_set<std::string> replayRecords_;
};

// One line describing the counts, for the end of a conversion and the minute reports.
std::string describeCounts(const FeedCounts& counts, const ConverterOptions& options);

}  // namespace feed
