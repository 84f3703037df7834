// Following a decoder log as it grows, across truncation and replacement.
//
// Each poll first looks whether the file was replaced (the name now leads to another file, or
// to none) or cut short (smaller than what was read, or its first bytes or the bytes just
// before the point read have changed: a file emptied and written again), then reads
// everything new in blocks. A replaced file's last bytes are read from the old file before the
// new one is opened; a cut-short file is read again from its beginning. The reader is told of
// every new start (FollowReader::startOver), so that it drops an unfinished line and does not
// write a record twice. Where the file cannot stay open between polls (files.h), each poll opens
// it again and goes on from where the last one ended when it is the same file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "feed/files.h"

namespace feed {

// What the follower hands its bytes to.
class FollowReader {
 public:
  virtual ~FollowReader() = default;
  // The next bytes of the file, in order.
  virtual void bytes(std::string_view block) = 0;
  // The file starts again from its beginning (truncated or replaced).
  virtual void startOver() = 0;
  // False to stop reading in the middle of a long file (a stop was asked for).
  virtual bool keepReading() { return true; }
};

// Where a follower stands: enough to go on from there in a later run (resume_state.h).
struct FollowPosition {
  bool known = false;         // a file was opened: `identity` and the rest describe it
  bool openedBefore = false;  // a file was opened before (a new one is a new start)
  FileIdentity identity;
  int64_t offset = 0;      // bytes read
  std::string firstBytes;  // the file's first bytes
  std::string lastBytes;   // the bytes just before `offset`
};

enum class PollResult {
  Read,     // the file was read to its current end
  Missing,  // the file is not there (or cannot be opened) now
  Failed,   // a read failed; the next poll tries again
};

class Follower {
 public:
  explicit Follower(std::string path, size_t blockBytes = 1 << 16);

  // One poll, as described above. One thread; blocks while it reads.
  PollResult poll(FollowReader& reader);

  // Where this follower stands now, and the same position taken up (the file closed; the next
  // poll opens it and checks it as if it had stayed open).
  FollowPosition position() const;
  void resumeAt(const FollowPosition& position);

  const std::string& path() const { return path_; }
  int64_t bytesRead() const { return offset_; }
  int64_t startOvers() const { return startOvers_; }

 private:
  PollResult readToEnd(FollowReader& reader);
  void startFile(FileIdentity identity);
  PollResult closeUnlessKept(PollResult result);
  bool wasReplaced() const;
  bool wasCutShort();
  void rememberEdges(std::string_view block);
  bool bytesDiffer(int64_t offset, const std::string& expected) const;

  std::string path_;
  SourceFile file_;
  FileIdentity identity_;  // of the file being read (valid when known_)
  bool known_ = false;
  bool openedBefore_ = false;
  int64_t offset_ = 0;
  int64_t startOvers_ = 0;
  std::vector<char> block_;
  // The file's first bytes and the last bytes read: a file cut short and written again past
  // the point read has other bytes there (decoder lines begin with their date and time).
  std::string firstBytes_;
  std::string lastBytes_;
};

}  // namespace feed
