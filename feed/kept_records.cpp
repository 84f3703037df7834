// Remembering the records' minutes and streaming the spot log into its replacement.
#include "feed/kept_records.h"

#include <algorithm>
#include <ctime>
#include <utility>

#include "feed/line_splitter.h"
#include "feed/spot_record.h"

namespace feed {
namespace {

constexpr size_t blockBytes = 1 << 16;

// Writes the kept lines of the old spot log to the new file, in blocks.
class KeptLineWriter {
 public:
  KeptLineWriter(NewFile& file, std::deque<MinuteRun>& runs, int64_t cutoff)
      : file_(file), runs_(runs), cutoff_(cutoff) {
    out_.reserve(blockBytes + LineSplitter::defaultMaxLineBytes);
  }

  // One line of the old file, without its LF.
  void line(std::string_view text) {
    if (!error_.empty()) return;
    if (!headingSeen_) {
      headingSeen_ = true;  // the new file has a heading of its own
      return;
    }
    if (run_ == runs_.end()) return;  // not a record the feed wrote
    if (run_->utcMinutes >= cutoff_) {
      out_.append(text);
      out_ += '\n';
      if (kept_.empty() || kept_.back().utcMinutes != run_->utcMinutes) {
        kept_.push_back({run_->utcMinutes, 0});
      }
      ++kept_.back().records;
      ++keptRecords_;
      if (out_.size() >= blockBytes) flush();
    }
    if (++inRun_ == run_->records) {
      ++run_;
      inRun_ = 0;
    }
  }

  bool flush() {
    if (error_.empty() && !out_.empty() && !file_.write(out_, error_)) return false;
    out_.clear();
    return error_.empty();
  }

  const std::string& error() const { return error_; }
  std::deque<MinuteRun>& kept() { return kept_; }
  int64_t keptRecords() const { return keptRecords_; }

 private:
  NewFile& file_;
  std::deque<MinuteRun>& runs_;
  int64_t cutoff_;
  std::deque<MinuteRun>::iterator run_ = runs_.begin();
  int64_t inRun_ = 0;
  bool headingSeen_ = false;
  std::string out_;
  std::string error_;
  std::deque<MinuteRun> kept_;
  int64_t keptRecords_ = 0;
};

// Tells `beforeRename` of the new file, then renames it over the spot log.
bool renameIntoPlace(const std::string& temporary, const std::string& spotLogPath,
                     const KeptRecords::BeforeRename& beforeRename, std::string& error) {
  if (beforeRename) {
    SourceFile made;
    if (!made.open(temporary)) {
      error = "cannot read " + temporary;
      return false;
    }
    const int64_t bytes = made.size();
    const FileIdentity identity = made.identity();
    made.close();
    if (bytes < 0) {
      error = "cannot read " + temporary;
      return false;
    }
    if (!beforeRename(temporary, identity, bytes, error)) return false;
  }
  return replaceFile(temporary, spotLogPath, error);
}

}  // namespace

void KeptRecords::add(int64_t utcMinutes) {
  newestMinutes_ = std::max(newestMinutes_, utcMinutes);
  if (runs_.empty() || runs_.back().utcMinutes != utcMinutes) runs_.push_back({utcMinutes, 0});
  ++runs_.back().records;
  ++records_;
}

void KeptRecords::restore(const std::vector<MinuteRun>& runs) {
  runs_.assign(runs.begin(), runs.end());
  records_ = 0;
  newestMinutes_ = INT64_MIN;
  for (const MinuteRun& run : runs_) {
    records_ += run.records;
    newestMinutes_ = std::max(newestMinutes_, run.utcMinutes);
  }
}

int64_t KeptRecords::cutoff(int64_t nowUtcMinutes) const {
  return std::min(nowUtcMinutes, newestMinutes_) - keepMinutes_;
}

int64_t KeptRecords::outsideWindow(int64_t nowUtcMinutes) const {
  const int64_t oldest = cutoff(nowUtcMinutes);
  int64_t count = 0;
  for (const MinuteRun& run : runs_) {
    if (run.utcMinutes < oldest) count += run.records;
  }
  return count;
}

bool KeptRecords::replaceSpotLog(const std::string& readFrom, const std::string& spotLogPath,
                                 int64_t nowUtcMinutes, const BeforeRename& beforeRename,
                                 std::string& error) {
  SourceFile old;
  if (!old.open(readFrom)) {
    error = "cannot read " + readFrom;
    return false;
  }
  const std::string temporary = replacementPath(spotLogPath);
  NewFile file;
  if (!file.create(temporary, error)) return false;
  KeptLineWriter writer(file, runs_, cutoff(nowUtcMinutes));
  LineSplitter splitter(std::string::npos);
  std::vector<char> block(blockBytes);
  bool written = file.write(heading_, error);
  for (int64_t count = 0; written;) {
    count = old.read(block.data(), block.size());
    if (count < 0) error = "cannot read " + readFrom;
    if (count <= 0) break;
    splitter.feed(std::string_view(block.data(), static_cast<size_t>(count)),
                  [&writer](std::string_view line, bool) { writer.line(line); });
  }
  old.close();
  written = written && error.empty() && writer.flush();
  if (!written && error.empty()) error = writer.error();
  // A last line without its line end was cut short by a kill: it is not kept.
  written = written && file.finish(error);
  if (written) {
    // The new file's minutes are in place when `beforeRename` records them.
    std::deque<MinuteRun> oldRuns = std::exchange(runs_, std::move(writer.kept()));
    const int64_t oldRecords = std::exchange(records_, writer.keptRecords());
    written = renameIntoPlace(temporary, spotLogPath, beforeRename, error);
    if (!written) {
      runs_ = std::move(oldRuns);
      records_ = oldRecords;
    }
  }
  if (!written) {
    file.close();
    removeFile(temporary);
  }
  return written;
}

std::string replacementPath(const std::string& spotLogPath) {
  // A name of our own in the same folder, so that the rename stays within one file system.
  return spotLogPath + ".ferlang-feed.tmp";
}

int64_t nowUtcMinutes() { return static_cast<int64_t>(std::time(nullptr)) / 60; }

}  // namespace feed
