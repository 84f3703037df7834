// --keep-hours: the spot log kept to the decodes of the last N hours.
//
// The feed remembers the records it wrote with the decoder's date and time (UTC). About once a
// minute it drops those older than N hours and writes the heading and the rest to a new file
// in the spot log's folder, which it renames over the spot log: the plotter, which opens the
// log afresh for every refresh, reads the old file or the new one whole, never a mix.
//
// "The last N hours" end at the newest decode, or now when that is earlier (a decoder clock
// running ahead), so nothing newer than N hours is ever dropped, and a log converted from an
// old file still shows its last N hours.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

namespace feed {

class KeptRecords {
 public:
  explicit KeptRecords(int keepHours) : keepMinutes_(static_cast<int64_t>(keepHours) * 60) {}

  // A record written for a decode at `utcMinutes` (minutes since 1970, UTC), the clock
  // reading `nowUtcMinutes`. One thread.
  void add(int64_t utcMinutes, std::string_view record, int64_t nowUtcMinutes);

  // Drops what is older than the window ending at min(`nowUtcMinutes`, newest decode).
  void dropOld(int64_t nowUtcMinutes);

  // Writes the heading and the kept records to a new file beside `spotLogPath` and renames it
  // over the spot log. False with `error` set on failure (the spot log is then unchanged).
  // Blocks while it writes.
  bool replaceSpotLog(const std::string& spotLogPath, int64_t nowUtcMinutes, std::string& error);

  size_t size() const { return records_.size(); }

 private:
  struct Record {
    int64_t utcMinutes;
    std::string text;
  };
  int64_t cutoff(int64_t nowUtcMinutes) const;

  int64_t keepMinutes_;
  int64_t newestMinutes_ = INT64_MIN;
  std::deque<Record> records_;
  std::string contents_;  // the new file's bytes, kept to reuse its memory
};

// Minutes since 1970 of the system clock, UTC.
int64_t nowUtcMinutes();

}  // namespace feed
