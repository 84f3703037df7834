// The feed's files: the decoder log it follows and the spot log it appends to.
//
// The decoder log is opened for reading while the decoder keeps appending to it, and may be
// cut short, removed or replaced at any time (on Windows it is opened with read, write and
// delete sharing so that the decoder is never refused, and only while it is read). A file's
// identity (device and file
// number, or volume and file index) tells a replaced file from the one that is open.
//
// The spot log is opened for appending only: every write lands at the end of the file,
// whatever else writes to it, and the feed never truncates it; with --keep-hours it is
// replaced whole by renaming a new file over it. files_posix.cpp and
// files_win32.cpp implement this header.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace feed {

struct FileIdentity {
  uint64_t device = 0;
  uint64_t index = 0;
  bool operator==(const FileIdentity&) const = default;
};

// The identity of the file `path` names now, or nothing when there is none.
std::optional<FileIdentity> identityOf(const std::string& path);

// Whether the decoder log may stay open between polls. On POSIX systems it does, so that the
// last lines of a file that is replaced are still read. On Windows a file that is open cannot
// be renamed over (the decoder's own replacement would fail), so it is opened for each poll
// and read from where the last poll ended.
bool sourceStaysOpenBetweenPolls();

// A file read from start to end while another program appends to it. One thread.
class SourceFile {
 public:
  SourceFile() = default;
  SourceFile(const SourceFile&) = delete;
  SourceFile& operator=(const SourceFile&) = delete;
  ~SourceFile() { close(); }

  bool open(const std::string& path);
  void close();
  bool isOpen() const { return handle_ != invalidHandle; }

  // Reads up to `bytes` at the current position and moves on; 0 at the end, -1 on failure.
  int64_t read(char* buffer, size_t bytes);
  // Reads at `offset` without moving the position; the count read, -1 on failure.
  int64_t readAt(int64_t offset, char* buffer, size_t bytes) const;
  // Moves the position to `offset`.
  bool seekTo(int64_t offset);
  // The open file's size now, -1 on failure.
  int64_t size() const;
  FileIdentity identity() const;

 private:
  static constexpr intptr_t invalidHandle = -1;
  intptr_t handle_ = invalidHandle;
};

// The spot log, opened for appending. One thread.
class SpotLogFile {
 public:
  SpotLogFile() = default;
  SpotLogFile(const SpotLogFile&) = delete;
  SpotLogFile& operator=(const SpotLogFile&) = delete;
  ~SpotLogFile() { close(); }

  // Opens `path` for appending, creating it when missing. On failure returns false and sets
  // `error` to the system's reason.
  bool open(const std::string& path, std::string& error);
  void close();

  // The file's size now, -1 on failure.
  int64_t size() const;
  // The file's last byte, or -1 when it is empty or cannot be read.
  int lastByte() const;
  // The open file's identity (it stays the file written even when the name goes elsewhere).
  FileIdentity identity() const;
  // Appends `bytes` with one write (more only when the system writes fewer bytes than asked).
  // False with `error` set on failure.
  bool append(std::string_view bytes, std::string& error);

 private:
  static constexpr intptr_t invalidHandle = -1;
  intptr_t handle_ = invalidHandle;
};

// A new file written from start to end (an existing one is emptied first), then flushed to the
// disk and closed. One thread.
class NewFile {
 public:
  NewFile() = default;
  NewFile(const NewFile&) = delete;
  NewFile& operator=(const NewFile&) = delete;
  ~NewFile() { close(); }

  // Creates or empties `path`. False with `error` set on failure.
  bool create(const std::string& path, std::string& error);
  // Writes `bytes` at the end. False with `error` set on failure.
  bool write(std::string_view bytes, std::string& error);
  // Flushes the file to the disk and closes it. False with `error` set on failure.
  bool finish(std::string& error);
  // Closes without flushing (after a failure).
  void close();

 private:
  static constexpr intptr_t invalidHandle = -1;
  intptr_t handle_ = invalidHandle;
};

// Writes `bytes` to a new file `path` (an existing one is emptied first) and flushes it to
// the disk. False with `error` set on failure.
bool writeWholeFile(const std::string& path, std::string_view bytes, std::string& error);

// The bytes of `path` from `offset` to its end, or nothing when it cannot be read.
std::optional<std::string> readFileFrom(const std::string& path, int64_t offset = 0);

// Renames `from` over `to` in one step: a reader opening `to` finds the old file or the new
// one, never a mix. False with `error` set on failure.
bool replaceFile(const std::string& from, const std::string& to, std::string& error);

// Removes `path`; quietly does nothing when it is not there.
void removeFile(const std::string& path);

}  // namespace feed
