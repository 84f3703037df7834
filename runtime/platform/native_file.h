// Native files: the runtime's only door to the operating system's file calls.
//
// The file subsystem (runtime/files/) opens, reads, positions and closes files only through
// NativeFile, so that its rules about positions, end of file and error numbers read the same
// on every platform. Every failure comes back as a FileStatus code; runtime/files/ turns the
// codes into numbered runtime errors. A NativeFile owns its handle: moving hands it over, the
// destructor closes it. Only regular files open; folders, devices, pipes and sockets are
// refused, so that no read can block or run for ever.
//
// Names are bytes passed through unchanged (letter case and separators included). A name that
// does not exist as written is looked up in its folder ignoring ASCII letter case, and opened
// when exactly one entry matches, so "Ferlang.SET" and "Ferlang.set" reach the same file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace rt {

// Result codes of the file layers, negative as the runtime's low-level file operations return
// them (0 is success).
enum class FileStatus : int32_t {
  Ok = 0,
  NotOpen = -2,            // the index is not an open file record
  Failed = -3,             // no access of that kind, or a position or length query failed
  BadPosition = -4,        // a negative offset
  NotFound = -5,           // file missing, too many files open, other open failures
  PathNotFound = -6,       // a folder on the path is missing or is not a folder
  Denied = -7,             // access refused, read-only, sharing conflict, or a folder
  DeviceUnavailable = -8,  // a device, pipe or socket: not a file that holds data
  Fault = -9,              // a read failed, or the file was cut short under the reader
  ShortRead = -10,         // fewer bytes arrived than asked: the end of the file
  BadName = -11,           // a name the system cannot take (too long, a zero byte inside)
};

// What an open does when the file does not exist.
enum class NativeCreation : uint8_t {
  OpenExisting,  // fail with NotFound
  CreateOrOpen,  // create an empty file; an existing file keeps its contents
};

// Identifies the file behind a handle, whatever name reached it.
struct NativeFileId {
  uint64_t device = 0;
  uint64_t inode = 0;
  bool operator==(const NativeFileId&) const = default;
};

// The outcome of one read: bytes delivered (0 at the end of the file) or a failure.
struct NativeRead {
  int64_t bytes = 0;
  FileStatus status = FileStatus::Ok;
};

class NativeFile {
 public:
  NativeFile() = default;
  NativeFile(NativeFile&& other) noexcept : handle_(other.handle_), id_(other.id_) {
    other.handle_ = -1;
  }
  NativeFile& operator=(NativeFile&& other) noexcept {
    if (this != &other) {
      close();
      handle_ = other.handle_;
      id_ = other.id_;
      other.handle_ = -1;
    }
    return *this;
  }
  NativeFile(const NativeFile&) = delete;
  NativeFile& operator=(const NativeFile&) = delete;
  ~NativeFile() { close(); }

  // Opens `name` (relative names against the current directory) with the given access; the
  // file pointer starts at 0. Any thread; blocks only on the file system.
  FileStatus open(std::string_view name, bool read, bool write, NativeCreation creation);

  // Reads up to `count` bytes at the file pointer into `buffer` with one system call and
  // advances the pointer by the bytes read. Fails with Denied or Fault.
  NativeRead read(void* buffer, size_t count);

  // Sets the file pointer `offset` bytes from the start. Fails with BadPosition or Failed.
  FileStatus seek(int64_t offset);

  // The file's current length in bytes, or -3 (Failed) when it cannot be learnt.
  int64_t size() const;

  // Cuts the file to zero bytes (opens for output). Fails with Denied or Fault.
  FileStatus truncateToEmpty();

  NativeFileId id() const { return id_; }
  bool isOpen() const { return handle_ >= 0; }

  // Closes the handle; nothing happens when none is open.
  void close();

 private:
  intptr_t handle_ = -1;
  NativeFileId id_;
};

// The name under which `name` exists: itself when it exists as written, else the one entry of
// its folder that matches it ignoring letter case, else `name` unchanged. Lets other programs
// (the text editor) reach the same file that the runtime opens.
std::string existingFileName(std::string_view name);

}  // namespace rt
