// --keep-hours: the spot log kept to the decodes of the last N hours.
//
// The feed remembers the decode minute (UTC) of every record in the spot log, in file order and
// folded into runs of one minute, so that memory stays small whatever the window holds. About
// once a minute, when records have left the window, it streams the spot log into a new file in
// the same folder, keeping the heading and the records inside the window, and renames that
// over the spot log: the plotter, which opens the log afresh for every refresh, reads the old
// file or the new one whole, never a mix.
//
// "The last N hours" end at the newest decode, or now when that is earlier (a decoder clock
// running ahead), so nothing newer than N hours is ever dropped, and a log converted from an
// old file still shows its last N hours.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "feed/files.h"
#include "feed/resume_state.h"

namespace feed {

class KeptRecords {
 public:
  // `heading`: the spot log's heading line, with its line end.
  KeptRecords(int keepHours, std::string heading)
      : keepMinutes_(static_cast<int64_t>(keepHours) * 60), heading_(std::move(heading)) {}

  // A record of a decode at `utcMinutes` (minutes since 1970, UTC) was appended to the spot
  // log. One thread.
  void add(int64_t utcMinutes);

  // How many records lie outside the window ending at min(`nowUtcMinutes`, newest decode).
  int64_t outsideWindow(int64_t nowUtcMinutes) const;

  // Called with the new file's name, identity and size before it is renamed over the spot
  // log; false stops the replacement (the new file is removed).
  using BeforeRename =
      std::function<bool(const std::string& path, FileIdentity, int64_t bytes, std::string& error)>;

  // Streams the records of `readFrom` (a heading line, then records, as the feed writes them)
  // that lie inside the window into a new file beside `spotLogPath` and renames it over the
  // spot log. Lines beyond the remembered records (not the feed's own) are dropped. False with
  // `error` set on failure (the spot log is then unchanged). Blocks while it reads and writes.
  bool replaceSpotLog(const std::string& readFrom, const std::string& spotLogPath,
                      int64_t nowUtcMinutes, const BeforeRename& beforeRename, std::string& error);

  int64_t size() const { return records_; }
  std::vector<MinuteRun> runs() const { return {runs_.begin(), runs_.end()}; }
  void restore(const std::vector<MinuteRun>& runs);

 private:
  int64_t cutoff(int64_t nowUtcMinutes) const;

  int64_t keepMinutes_;
  std::string heading_;
  int64_t newestMinutes_ = INT64_MIN;
  int64_t records_ = 0;
  std::deque<MinuteRun> runs_;
};

// The name of the new file that replaces the spot log.
std::string replacementPath(const std::string& spotLogPath);

// Minutes since 1970 of the system clock, UTC.
int64_t nowUtcMinutes();

}  // namespace feed
