// Native files on POSIX systems: open, read, lseek, fstat and ftruncate, with errno mapped to
// the codes the file subsystem turns into runtime errors.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "runtime/platform/native_file.h"

namespace rt {
namespace {

FileStatus statusFromErrno(int error) {
  switch (error) {
    case ENOENT: return FileStatus::NotFound;
    case ENOTDIR: return FileStatus::PathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY:
    case EBUSY: return FileStatus::Denied;
    case ENXIO:
    case ENODEV: return FileStatus::DeviceUnavailable;
    case ENAMETOOLONG:
    case ELOOP:
    case EINVAL:
    case EILSEQ: return FileStatus::BadName;
    default:
      // Too many open files, I/O faults and the rest: reported as a missing file, as the
      // original platform's mapping does.
      return FileStatus::NotFound;
  }
}

bool asciiEqualIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// Splits "dir/sub/name" into "dir/sub/" and "name"; a name without a slash has no folder part.
void splitFolder(const std::string& path, std::string& folder, std::string& leaf) {
  size_t slash = path.rfind('/');
  folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  leaf = slash == std::string::npos ? path : path.substr(slash + 1);
}

// The one entry of the path's folder whose name equals the path's last part ignoring ASCII
// letter case; empty when there is none or more than one.
std::string findIgnoringCase(const std::string& path) {
  std::string folder, leaf;
  splitFolder(path, folder, leaf);
  if (leaf.empty() || leaf == "." || leaf == "..") return {};
  DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
  if (dir == nullptr) return {};
  std::string match;
  int matches = 0;
  while (dirent* entry = readdir(dir)) {
    if (asciiEqualIgnoringCase(entry->d_name, leaf)) {
      ++matches;
      match = entry->d_name;
    }
  }
  closedir(dir);
  return matches == 1 ? folder + match : std::string();
}

// True when the path names a folder that does not exist (or is not a folder): the original
// platform reports "path not found" rather than "file not found" then.
bool folderIsMissing(const std::string& path) {
  std::string folder, leaf;
  splitFolder(path, folder, leaf);
  if (folder.empty()) return false;
  struct stat info {};
  return stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode);
}

int openRetrying(const char* path, int flags) {
  int fd;
  do fd = ::open(path, flags, 0666);
  while (fd < 0 && errno == EINTR);
  return fd;
}

}  // namespace

FileStatus NativeFile::open(std::string_view name, bool read, bool write, NativeCreation creation) {
  close();
  // A zero byte would silently cut the name short and reach another file.
  if (name.find('\0') != std::string_view::npos) return FileStatus::BadName;
  const std::string path(name);
  // O_NONBLOCK keeps the open of a pipe from waiting for a writer; it is dropped again below
  // for the regular files that are kept.
  int flags = (read && write) ? O_RDWR : write ? O_WRONLY : O_RDONLY;
  flags |= O_CLOEXEC | O_NOCTTY | O_NONBLOCK;

  int fd = openRetrying(path.c_str(), flags);
  int error = fd < 0 ? errno : 0;
  if (fd < 0 && error == ENOENT) {
    std::string other = findIgnoringCase(path);
    if (!other.empty()) {
      fd = openRetrying(other.c_str(), flags);
      error = fd < 0 ? errno : 0;
    } else if (creation == NativeCreation::CreateOrOpen) {
      fd = openRetrying(path.c_str(), flags | O_CREAT);
      error = fd < 0 ? errno : 0;
    }
    if (fd < 0 && error == ENOENT && folderIsMissing(path)) return FileStatus::PathNotFound;
  }
  if (fd < 0) return statusFromErrno(error);

  struct stat info {};
  FileStatus refused = FileStatus::Ok;
  if (fstat(fd, &info) != 0) {
    refused = FileStatus::NotFound;
  } else if (S_ISDIR(info.st_mode)) {
    refused = FileStatus::Denied;
  } else if (!S_ISREG(info.st_mode)) {
    refused = FileStatus::DeviceUnavailable;
  } else {
    int current = fcntl(fd, F_GETFL);
    if (current < 0 || fcntl(fd, F_SETFL, current & ~O_NONBLOCK) != 0) refused = FileStatus::Fault;
  }
  if (refused != FileStatus::Ok) {
    ::close(fd);
    return refused;
  }
  handle_ = fd;
  id_ = {static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino)};
  return FileStatus::Ok;
}

NativeRead NativeFile::read(void* buffer, size_t count) {
  if (handle_ < 0) return {0, FileStatus::NotOpen};
  ssize_t got;
  do got = ::read(static_cast<int>(handle_), buffer, count);
  while (got < 0 && errno == EINTR);
  if (got >= 0) return {static_cast<int64_t>(got), FileStatus::Ok};
  return {0, (errno == EACCES || errno == EPERM) ? FileStatus::Denied : FileStatus::Fault};
}

FileStatus NativeFile::seek(int64_t offset) {
  if (handle_ < 0) return FileStatus::NotOpen;
  if (offset < 0) return FileStatus::BadPosition;
  if (lseek(static_cast<int>(handle_), static_cast<off_t>(offset), SEEK_SET) < 0) {
    return FileStatus::Failed;
  }
  return FileStatus::Ok;
}

int64_t NativeFile::size() const {
  struct stat info {};
  if (handle_ < 0 || fstat(static_cast<int>(handle_), &info) != 0) {
    return static_cast<int64_t>(FileStatus::Failed);
  }
  return static_cast<int64_t>(info.st_size);
}

FileStatus NativeFile::truncateToEmpty() {
  if (handle_ < 0) return FileStatus::NotOpen;
  if (ftruncate(static_cast<int>(handle_), 0) != 0) {
    return (errno == EACCES || errno == EPERM || errno == EROFS || errno == EINVAL)
               ? FileStatus::Denied
               : FileStatus::Fault;
  }
  return FileStatus::Ok;
}

void NativeFile::close() {
  if (handle_ >= 0) {
    ::close(static_cast<int>(handle_));
    handle_ = -1;
    id_ = {};
  }
}

std::string existingFileName(std::string_view name) {
  std::string path(name);
  struct stat info {};
  if (path.empty() || stat(path.c_str(), &info) == 0) return path;
  std::string found = findIgnoringCase(path);
  return found.empty() ? path : found;
}

}  // namespace rt
