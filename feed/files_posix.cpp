// The feed's files on POSIX systems: open, read, pread and fstat; O_APPEND for the spot log.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "feed/files.h"

namespace feed {
namespace {

int fd(intptr_t handle) { return static_cast<int>(handle); }

FileIdentity identityFrom(const struct stat& info) {
  return {static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino)};
}

}  // namespace

std::optional<FileIdentity> identityOf(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return std::nullopt;
  return identityFrom(info);
}

bool SourceFile::open(const std::string& path) {
  close();
  const int opened = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (opened < 0) return false;
  struct stat info {};
  if (fstat(opened, &info) != 0 || S_ISDIR(info.st_mode)) {
    ::close(opened);
    return false;
  }
  handle_ = opened;
  return true;
}

void SourceFile::close() {
  if (handle_ == invalidHandle) return;
  ::close(fd(handle_));
  handle_ = invalidHandle;
}

int64_t SourceFile::read(char* buffer, size_t bytes) {
  for (;;) {
    const ssize_t count = ::read(fd(handle_), buffer, bytes);
    if (count >= 0 || errno != EINTR) return count;
  }
}

int64_t SourceFile::readAt(int64_t offset, char* buffer, size_t bytes) const {
  for (;;) {
    const ssize_t count = ::pread(fd(handle_), buffer, bytes, static_cast<off_t>(offset));
    if (count >= 0 || errno != EINTR) return count;
  }
}

bool SourceFile::seekTo(int64_t offset) {
  return lseek(fd(handle_), static_cast<off_t>(offset), SEEK_SET) == static_cast<off_t>(offset);
}

bool sourceStaysOpenBetweenPolls() { return true; }

int64_t SourceFile::size() const {
  struct stat info {};
  if (fstat(fd(handle_), &info) != 0) return -1;
  return static_cast<int64_t>(info.st_size);
}

FileIdentity SourceFile::identity() const {
  struct stat info {};
  if (fstat(fd(handle_), &info) != 0) return {};
  return identityFrom(info);
}

bool SpotLogFile::open(const std::string& path, std::string& error) {
  close();
  // O_APPEND: each write lands at the end of the file as one piece, whatever else writes to it.
  const int opened = ::open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (opened < 0) {
    error = std::strerror(errno);
    return false;
  }
  handle_ = opened;
  return true;
}

void SpotLogFile::close() {
  if (handle_ == invalidHandle) return;
  ::close(fd(handle_));
  handle_ = invalidHandle;
}

int64_t SpotLogFile::size() const {
  struct stat info {};
  if (fstat(fd(handle_), &info) != 0) return -1;
  return static_cast<int64_t>(info.st_size);
}

int SpotLogFile::lastByte() const {
  const int64_t bytes = size();
  if (bytes <= 0) return -1;
  unsigned char last = 0;
  if (pread(fd(handle_), &last, 1, static_cast<off_t>(bytes - 1)) != 1) return -1;
  return last;
}

FileIdentity SpotLogFile::identity() const {
  struct stat info {};
  if (fstat(fd(handle_), &info) != 0) return {};
  return identityFrom(info);
}

bool SpotLogFile::append(std::string_view bytes, std::string& error) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd(handle_), bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      error = std::strerror(errno);
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

bool NewFile::create(const std::string& path, std::string& error) {
  close();
  const int opened = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (opened < 0) {
    error = std::strerror(errno);
    return false;
  }
  handle_ = opened;
  return true;
}

bool NewFile::write(std::string_view bytes, std::string& error) {
  while (!bytes.empty()) {
    const ssize_t count = ::write(fd(handle_), bytes.data(), bytes.size());
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) {
      error = std::strerror(errno);
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(count));
  }
  return true;
}

bool NewFile::finish(std::string& error) {
  // EINVAL: a file system that cannot sync (a pipe, some network mounts) has nothing to flush.
  const bool synced = fsync(fd(handle_)) == 0 || errno == EINVAL;
  if (!synced) error = std::strerror(errno);
  close();
  return synced;
}

void NewFile::close() {
  if (handle_ == invalidHandle) return;
  ::close(fd(handle_));
  handle_ = invalidHandle;
}

bool replaceFile(const std::string& from, const std::string& to, std::string& error) {
  if (std::rename(from.c_str(), to.c_str()) == 0) return true;
  error = std::strerror(errno);
  return false;
}

void removeFile(const std::string& path) { unlink(path.c_str()); }

}  // namespace feed
