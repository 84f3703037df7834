// The follower's poll: checks for a new start, then reads to the end.
#include "feed/follower.h"

#include <cstring>

namespace feed {
namespace {

constexpr size_t edgeBytesKept = 64;

}  // namespace

Follower::Follower(std::string path, size_t blockBytes)
    : path_(std::move(path)), block_(blockBytes) {}

PollResult Follower::poll(FollowReader& reader) {
  if (file_.isOpen() && wasReplaced()) {
    // What the decoder wrote to the old file before it went is still read.
    readToEnd(reader);
    file_.close();
    known_ = false;
  }
  if (!file_.isOpen()) {
    if (!file_.open(path_)) return PollResult::Missing;
    const FileIdentity identity = file_.identity();
    if (known_ && identity == identity_) {
      // The same file as at the last poll, opened again: on from where that poll ended.
      if (!file_.seekTo(offset_)) return closeUnlessKept(PollResult::Failed);
    } else {
      startFile(identity);
      if (openedBefore_) {
        ++startOvers_;
        reader.startOver();
      }
      openedBefore_ = true;
    }
  }
  if (wasCutShort()) {
    if (!file_.seekTo(0)) return closeUnlessKept(PollResult::Failed);
    startFile(identity_);
    ++startOvers_;
    reader.startOver();
  }
  return closeUnlessKept(readToEnd(reader));
}

FollowPosition Follower::position() const {
  return {known_, openedBefore_, identity_, offset_, firstBytes_, lastBytes_};
}

void Follower::resumeAt(const FollowPosition& position) {
  file_.close();
  known_ = position.known;
  openedBefore_ = position.openedBefore;
  identity_ = position.identity;
  offset_ = position.offset;
  firstBytes_ = position.firstBytes.substr(0, edgeBytesKept);
  lastBytes_ = position.lastBytes.substr(0, edgeBytesKept);
}

void Follower::startFile(FileIdentity identity) {
  identity_ = identity;
  known_ = true;
  offset_ = 0;
  firstBytes_.clear();
  lastBytes_.clear();
}

PollResult Follower::closeUnlessKept(PollResult result) {
  if (!sourceStaysOpenBetweenPolls()) file_.close();
  return result;
}

bool Follower::wasReplaced() const {
  const std::optional<FileIdentity> now = identityOf(path_);
  return !now || *now != identity_;
}

bool Follower::wasCutShort() {
  const int64_t size = file_.size();
  if (size < 0) return false;
  if (size < offset_) return true;
  return bytesDiffer(0, firstBytes_) ||
         bytesDiffer(offset_ - static_cast<int64_t>(lastBytes_.size()), lastBytes_);
}

bool Follower::bytesDiffer(int64_t offset, const std::string& expected) const {
  if (expected.empty()) return false;
  char bytes[edgeBytesKept];
  const int64_t count = file_.readAt(offset, bytes, expected.size());
  return count == static_cast<int64_t>(expected.size()) &&
         std::memcmp(bytes, expected.data(), expected.size()) != 0;
}

void Follower::rememberEdges(std::string_view block) {
  if (firstBytes_.size() < edgeBytesKept) {
    firstBytes_.append(block.substr(0, edgeBytesKept - firstBytes_.size()));
  }
  if (block.size() >= edgeBytesKept) {
    lastBytes_.assign(block.substr(block.size() - edgeBytesKept));
  } else {
    lastBytes_.append(block);
    if (lastBytes_.size() > edgeBytesKept) lastBytes_.erase(0, lastBytes_.size() - edgeBytesKept);
  }
}

PollResult Follower::readToEnd(FollowReader& reader) {
  while (reader.keepReading()) {
    const int64_t count = file_.read(block_.data(), block_.size());
    if (count < 0) return PollResult::Failed;
    if (count == 0) break;
    const std::string_view block(block_.data(), static_cast<size_t>(count));
    rememberEdges(block);
    offset_ += count;
    reader.bytes(block);
  }
  return PollResult::Read;
}

}  // namespace feed
