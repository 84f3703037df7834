// Native files on Windows: CreateFileA, ReadFile, SetFilePointerEx, GetFileSizeEx and
// SetEndOfFile, with GetLastError mapped to the codes the file subsystem turns into runtime
// errors.
//
// Every file is opened with read, write and delete sharing: the runtime keeps its own lock
// clauses between its records (runtime/files/), and the decoder that appends to the spot log
// must be able to go on writing while the log is read. Windows file systems ignore letter case
// in names, so the lookup that the POSIX sibling does by hand is the system's own here.
#include <windows.h>

#include <string>

#include "runtime/platform/native_file.h"

namespace rt {
namespace {

// The failure codes of an open, as the original platform maps them. Fault and NotFound both
// become error 53 ("File not found") when an open fails.
FileStatus statusFromOpenError(DWORD error) {
  switch (error) {
    case ERROR_PATH_NOT_FOUND: return FileStatus::PathNotFound;
    case ERROR_TOO_MANY_OPEN_FILES:
    case ERROR_WRITE_FAULT:
    case ERROR_READ_FAULT: return FileStatus::Fault;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return FileStatus::Denied;
    case ERROR_INVALID_DRIVE:
    case ERROR_NOT_READY: return FileStatus::DeviceUnavailable;
    // A name the system cannot take, as the POSIX sibling reports a name too long or not
    // valid in the file system's encoding.
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE: return FileStatus::BadName;
    default: return FileStatus::NotFound;
  }
}

bool refusedForAccess(DWORD error) {
  return error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION;
}

HANDLE handleOf(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

// One ReadFile reads at most this much, as one POSIX read() does on Linux; a longer request
// comes back short and is continued by the caller like any short read.
constexpr DWORD kLargestRead = 0x7FFFF000;

}  // namespace

FileStatus NativeFile::open(std::string_view name, bool read, bool write, NativeCreation creation) {
  close();
  // A zero byte would silently cut the name short and reach another file.
  if (name.find('\0') != std::string_view::npos) return FileStatus::BadName;
  const std::string path(name);
  DWORD access = (read ? GENERIC_READ : 0) | (write ? GENERIC_WRITE : 0);
  if (access == 0) access = GENERIC_READ;  // as the POSIX sibling opens read-only
  const DWORD disposition =
      creation == NativeCreation::OpenExisting ? OPEN_EXISTING : OPEN_ALWAYS;
  HANDLE file = CreateFileA(path.c_str(), access,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return statusFromOpenError(GetLastError());

  // Only files that hold data: a console, the NUL device, a pipe or a serial port is refused,
  // so that no read can block or run for ever. A folder cannot be opened without backup
  // semantics and fails above with ERROR_ACCESS_DENIED; it is checked again all the same.
  FileStatus refused = FileStatus::Ok;
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileType(file) != FILE_TYPE_DISK) {
    refused = FileStatus::DeviceUnavailable;
  } else if (!GetFileInformationByHandle(file, &info)) {
    refused = FileStatus::NotFound;
  } else if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    refused = FileStatus::Denied;
  }
  if (refused != FileStatus::Ok) {
    CloseHandle(file);
    return refused;
  }
  handle_ = reinterpret_cast<intptr_t>(file);
  id_ = {static_cast<uint64_t>(info.dwVolumeSerialNumber),
         (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
  return FileStatus::Ok;
}

NativeRead NativeFile::read(void* buffer, size_t count) {
  if (handle_ < 0) return {0, FileStatus::NotOpen};
  const DWORD asked = count < kLargestRead ? static_cast<DWORD>(count) : kLargestRead;
  DWORD got = 0;
  if (ReadFile(handleOf(handle_), buffer, asked, &got, nullptr)) {
    return {static_cast<int64_t>(got), FileStatus::Ok};
  }
  const DWORD error = GetLastError();
  if (error == ERROR_HANDLE_EOF) return {0, FileStatus::Ok};
  return {0, refusedForAccess(error) ? FileStatus::Denied : FileStatus::Fault};
}

FileStatus NativeFile::seek(int64_t offset) {
  if (handle_ < 0) return FileStatus::NotOpen;
  if (offset < 0) return FileStatus::BadPosition;
  LARGE_INTEGER distance;
  distance.QuadPart = offset;
  if (!SetFilePointerEx(handleOf(handle_), distance, nullptr, FILE_BEGIN)) {
    return FileStatus::Failed;
  }
  return FileStatus::Ok;
}

int64_t NativeFile::size() const {
  LARGE_INTEGER length;
  if (handle_ < 0 || !GetFileSizeEx(handleOf(handle_), &length)) {
    return static_cast<int64_t>(FileStatus::Failed);
  }
  return static_cast<int64_t>(length.QuadPart);
}

FileStatus NativeFile::truncateToEmpty() {
  if (handle_ < 0) return FileStatus::NotOpen;
  // SetEndOfFile cuts at the file pointer; the pointer is put back afterwards, as ftruncate
  // leaves the POSIX file offset where it was.
  HANDLE file = handleOf(handle_);
  LARGE_INTEGER zero{}, saved{};
  if (!SetFilePointerEx(file, zero, &saved, FILE_CURRENT) ||
      !SetFilePointerEx(file, zero, nullptr, FILE_BEGIN)) {
    return FileStatus::Fault;
  }
  const bool cut = SetEndOfFile(file) != 0;
  const DWORD error = cut ? ERROR_SUCCESS : GetLastError();
  SetFilePointerEx(file, saved, nullptr, FILE_BEGIN);
  if (cut) return FileStatus::Ok;
  // A handle opened without write access is refused with ERROR_ACCESS_DENIED; Wine says
  // ERROR_INVALID_PARAMETER, or ERROR_INVALID_HANDLE for an empty file, as ftruncate refuses a
  // descriptor opened read-only with EINVAL.
  return (refusedForAccess(error) || error == ERROR_INVALID_PARAMETER ||
          error == ERROR_INVALID_HANDLE || error == ERROR_WRITE_PROTECT ||
          error == ERROR_SHARING_VIOLATION || error == ERROR_USER_MAPPED_FILE)
             ? FileStatus::Denied
             : FileStatus::Fault;
}

void NativeFile::close() {
  if (handle_ >= 0) {
    CloseHandle(handleOf(handle_));
    handle_ = -1;
    id_ = {};
  }
}

std::string existingFileName(std::string_view name) {
  // The file system finds a name in any letter case by itself.
  return std::string(name);
}

}  // namespace rt
