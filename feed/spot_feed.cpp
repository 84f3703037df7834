// Records from the decoder log's lines, the tail of an earlier run found again, and the writes.
#include "feed/spot_feed.h"

#include "feed/stop_signal.h"

namespace feed {
namespace {

// Records are gathered into writes of whole lines up to about this size.
constexpr size_t writeBytes = 1 << 16;
// A long read commits the state after about this much written, so that a kill in the middle of
// a large file leaves a small tail.
constexpr int64_t checkpointBytes = 1 << 20;

}  // namespace

SpotLogTail SpotLogTail::of(std::string_view bytes) {
  SpotLogTail tail;
  while (!bytes.empty()) {
    const size_t end = bytes.find('\n');
    if (end == std::string_view::npos) {
      tail.cutShort.assign(bytes);
      break;
    }
    // Found again by its content: the feed's own padding (spot_record.h) set aside.
    tail.records[std::string(withoutPadding(bytes.substr(0, end + 1))) + "\r\n"].push_back(
        static_cast<int64_t>(end + 1));
    ++tail.recordCount;
    tail.recordBytes += static_cast<int64_t>(end + 1);
    bytes.remove_prefix(end + 1);
  }
  return tail;
}

SpotFeed::SpotFeed(const ConverterOptions& options, SpotLogFile& spotLog)
    : converter_(options), spotLog_(spotLog) {
  pending_.reserve(writeBytes + LineSplitter::defaultMaxLineBytes);
}

void SpotFeed::takeUpTail(SpotLogTail tail, int64_t fallbackMinutes) {
  tail_ = std::move(tail);
  tailMinutes_ = fallbackMinutes;
}

void SpotFeed::settleTail() {
  if (kept_ != nullptr) {
    for (int64_t i = 0; i < tail_.recordCount; ++i) kept_->add(tailMinutes_);
  }
  tail_.records.clear();
  tail_.recordCount = 0;
  tail_.recordBytes = 0;
}

void SpotFeed::bytes(std::string_view block) {
  splitter_.feed(block, [this](std::string_view line, bool overlong) { takeLine(line, overlong); });
}

void SpotFeed::startOver() {
  splitter_.reset();
  converter_.startOver();
  if (flush() && checkpoint_) checkpoint_();
}

bool SpotFeed::keepReading() {
  if (!writeError_.empty() || stopRequested()) return false;
  if (writtenSinceCheckpoint_ + static_cast<int64_t>(pending_.size()) >= checkpointBytes) {
    writtenSinceCheckpoint_ = 0;
    if (flush() && checkpoint_) checkpoint_();
  }
  return writeError_.empty();
}

void SpotFeed::finish() {
  splitter_.finish([this](std::string_view line, bool overlong) { takeLine(line, overlong); });
}

bool SpotFeed::flush() {
  if (!writeError_.empty()) return false;
  if (pending_.empty()) return true;
  std::string error;
  const int64_t offset = spotLog_.size();
  if (offset >= 0) {
    keepLinesInBlocks(pending_, offset, inBlocks_);
    pending_.swap(inBlocks_);
  }
  if (!spotLog_.append(pending_, error)) {
    writeError_ = error;
    return false;
  }
  writtenSinceCheckpoint_ += static_cast<int64_t>(pending_.size());
  pending_.clear();
  return true;
}

bool SpotFeed::foundInTail(std::string_view record) {
  if (tail_.recordCount == 0) return false;
  const auto found = tail_.records.find(std::string(withoutPadding(record)) + "\r\n");
  if (found == tail_.records.end() || found->second.empty()) {
    settleTail();  // the first record that is new: the rest of the tail is not coming again
    return false;
  }
  tail_.recordBytes -= found->second.back();
  found->second.pop_back();
  --tail_.recordCount;
  return true;
}

void SpotFeed::completeCutShortLine(size_t recordStart) {
  const std::string_view record = std::string_view(pending_).substr(recordStart);
  const std::string_view content = withoutPadding(record);
  if (record.substr(0, tail_.cutShort.size()) == tail_.cutShort) {
    pending_.erase(recordStart, tail_.cutShort.size());
  } else if (withoutPadding(tail_.cutShort) == content) {
    pending_.replace(recordStart, record.size(), "\r\n");  // cut in the padding: only the end
  } else {
    // Not the record it was: the piece becomes a line of its own, as a foreign line would.
    pending_.insert(recordStart, "\r\n");
    if (kept_ != nullptr) kept_->add(tailMinutes_);
  }
  tail_.cutShort.clear();
}

void SpotFeed::takeLine(std::string_view line, bool overlong) {
  if (overlong) {
    converter_.countOverlongLine();
    return;
  }
  const size_t start = pending_.size();
  if (!converter_.convertLine(line, pending_)) return;
  // The minutes go to `kept` in the order of the lines in the spot log.
  if (foundInTail(std::string_view(pending_).substr(start))) {
    if (kept_ != nullptr) kept_->add(converter_.lastUtcMinutes());
    pending_.resize(start);
    converter_.countLastAsAlreadyWritten();
    return;
  }
  if (!tail_.cutShort.empty()) completeCutShortLine(start);
  if (kept_ != nullptr) kept_->add(converter_.lastUtcMinutes());
  if (alerter_ != nullptr) {
    alerter_->decode(converter_.lastDecode(), converter_.lastTime(), Alerter::Clock::now());
  }
  if (pending_.size() >= writeBytes) flush();
}

}  // namespace feed
