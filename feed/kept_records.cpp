// Keeping the last N hours of records and replacing the spot log with them.
#include "feed/kept_records.h"

#include <algorithm>
#include <ctime>

#include "feed/files.h"
#include "feed/spot_record.h"

namespace feed {

void KeptRecords::add(int64_t utcMinutes, std::string_view record, int64_t nowUtcMinutes) {
  newestMinutes_ = std::max(newestMinutes_, utcMinutes);
  // The window only moves on: a record already outside it is never kept.
  if (utcMinutes < cutoff(nowUtcMinutes)) return;
  records_.push_back({utcMinutes, std::string(record)});
  // Decodes come in time order: dropping from the front as the newest moves on keeps memory
  // to the window while a long file is read (dropOld removes any older ones left inside).
  const int64_t oldest = cutoff(nowUtcMinutes);
  while (!records_.empty() && records_.front().utcMinutes < oldest) records_.pop_front();
}

int64_t KeptRecords::cutoff(int64_t nowUtcMinutes) const {
  return std::min(nowUtcMinutes, newestMinutes_) - keepMinutes_;
}

void KeptRecords::dropOld(int64_t nowUtcMinutes) {
  if (records_.empty()) return;
  const int64_t oldest = cutoff(nowUtcMinutes);
  records_.erase(
      std::remove_if(records_.begin(), records_.end(),
                     [oldest](const Record& record) { return record.utcMinutes < oldest; }),
      records_.end());
}

bool KeptRecords::replaceSpotLog(const std::string& spotLogPath, int64_t nowUtcMinutes,
                                 std::string& error) {
  dropOld(nowUtcMinutes);
  contents_.assign(spotLogHeading);
  for (const Record& record : records_) contents_ += record.text;
  // A name of our own in the same folder, so that the rename stays within one file system.
  const std::string temporary = spotLogPath + ".ferlang-feed.tmp";
  if (!writeWholeFile(temporary, contents_, error) || !replaceFile(temporary, spotLogPath, error)) {
    removeFile(temporary);
    return false;
  }
  return true;
}

int64_t nowUtcMinutes() { return static_cast<int64_t>(std::time(nullptr)) / 60; }

}  // namespace feed
