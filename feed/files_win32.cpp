// The feed's files on Windows: CreateFileA with read, write and delete sharing (the decoder
// keeps writing, and may rename or delete the log), ReadFile, and FILE_APPEND_DATA for the
// spot log, which makes every WriteFile land at the end of the file as one piece.
#include <windows.h>

#include "feed/files.h"

namespace feed {
namespace {

constexpr DWORD shareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

HANDLE nativeHandle(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

std::string systemMessage(DWORD code) {
  char text[256] = {};
  const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr, code, 0, text, sizeof text, nullptr);
  std::string message(text, length);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                              message.back() == '.' || message.back() == ' ')) {
    message.pop_back();
  }
  return message.empty() ? "system error " + std::to_string(code) : message;
}

std::optional<FileIdentity> identityOfHandle(HANDLE handle) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(handle, &info)) return std::nullopt;
  return FileIdentity{info.dwVolumeSerialNumber,
                      (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

int64_t sizeOfHandle(HANDLE handle) {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(handle, &size)) return -1;
  return size.QuadPart;
}

// ReadFile at an offset; the file position is left where the read ends.
int64_t readAtOffset(HANDLE handle, int64_t offset, char* buffer, size_t bytes) {
  OVERLAPPED where{};
  where.Offset = static_cast<DWORD>(static_cast<uint64_t>(offset) & 0xFFFFFFFFu);
  where.OffsetHigh = static_cast<DWORD>(static_cast<uint64_t>(offset) >> 32);
  DWORD count = 0;
  const DWORD asked = bytes > 0x10000000 ? 0x10000000 : static_cast<DWORD>(bytes);
  if (!ReadFile(handle, buffer, asked, &count, &where)) {
    return GetLastError() == ERROR_HANDLE_EOF ? 0 : -1;
  }
  return count;
}

}  // namespace

std::optional<FileIdentity> identityOf(const std::string& path) {
  // No access asked: only the file's information is read, and nobody is refused meanwhile.
  HANDLE handle = CreateFileA(path.c_str(), 0, shareAll, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  std::optional<FileIdentity> identity = identityOfHandle(handle);
  CloseHandle(handle);
  return identity;
}

bool SourceFile::open(const std::string& path) {
  close();
  HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ, shareAll, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  handle_ = reinterpret_cast<intptr_t>(handle);
  return true;
}

void SourceFile::close() {
  if (handle_ == invalidHandle) return;
  CloseHandle(nativeHandle(handle_));
  handle_ = invalidHandle;
}

int64_t SourceFile::read(char* buffer, size_t bytes) {
  DWORD count = 0;
  const DWORD asked = bytes > 0x10000000 ? 0x10000000 : static_cast<DWORD>(bytes);
  if (!ReadFile(nativeHandle(handle_), buffer, asked, &count, nullptr)) return -1;
  return count;
}

int64_t SourceFile::readAt(int64_t offset, char* buffer, size_t bytes) const {
  // An offset read moves the handle's position, so the position is put back afterwards.
  LARGE_INTEGER zero{}, position{};
  if (!SetFilePointerEx(nativeHandle(handle_), zero, &position, FILE_CURRENT)) return -1;
  const int64_t count = readAtOffset(nativeHandle(handle_), offset, buffer, bytes);
  SetFilePointerEx(nativeHandle(handle_), position, nullptr, FILE_BEGIN);
  return count;
}

bool SourceFile::seekTo(int64_t offset) {
  LARGE_INTEGER position{};
  position.QuadPart = offset;
  return SetFilePointerEx(nativeHandle(handle_), position, nullptr, FILE_BEGIN) != 0;
}

bool sourceStaysOpenBetweenPolls() { return false; }

int64_t SourceFile::size() const { return sizeOfHandle(nativeHandle(handle_)); }

FileIdentity SourceFile::identity() const {
  return identityOfHandle(nativeHandle(handle_)).value_or(FileIdentity{});
}

bool SpotLogFile::open(const std::string& path, std::string& error) {
  close();
  // FILE_APPEND_DATA without FILE_WRITE_DATA: the system puts every write at the end.
  HANDLE handle = CreateFileA(path.c_str(), FILE_APPEND_DATA | FILE_READ_DATA | SYNCHRONIZE,
                              shareAll, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    error = systemMessage(GetLastError());
    return false;
  }
  handle_ = reinterpret_cast<intptr_t>(handle);
  return true;
}

void SpotLogFile::close() {
  if (handle_ == invalidHandle) return;
  CloseHandle(nativeHandle(handle_));
  handle_ = invalidHandle;
}

int64_t SpotLogFile::size() const { return sizeOfHandle(nativeHandle(handle_)); }

int SpotLogFile::lastByte() const {
  const int64_t bytes = size();
  if (bytes <= 0) return -1;
  char last = 0;
  if (readAtOffset(nativeHandle(handle_), bytes - 1, &last, 1) != 1) return -1;
  return static_cast<unsigned char>(last);
}

FileIdentity SpotLogFile::identity() const {
  return identityOfHandle(nativeHandle(handle_)).value_or(FileIdentity{});
}

bool SpotLogFile::append(std::string_view bytes, std::string& error) {
  while (!bytes.empty()) {
    const DWORD asked = bytes.size() > 0x10000000 ? 0x10000000 : static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    if (!WriteFile(nativeHandle(handle_), bytes.data(), asked, &written, nullptr)) {
      error = systemMessage(GetLastError());
      return false;
    }
    bytes.remove_prefix(written);
  }
  return true;
}

bool NewFile::create(const std::string& path, std::string& error) {
  close();
  HANDLE handle = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                              nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    error = systemMessage(GetLastError());
    return false;
  }
  handle_ = reinterpret_cast<intptr_t>(handle);
  return true;
}

bool NewFile::write(std::string_view bytes, std::string& error) {
  while (!bytes.empty()) {
    const DWORD asked = bytes.size() > 0x10000000 ? 0x10000000 : static_cast<DWORD>(bytes.size());
    DWORD count = 0;
    if (!WriteFile(nativeHandle(handle_), bytes.data(), asked, &count, nullptr)) {
      error = systemMessage(GetLastError());
      return false;
    }
    bytes.remove_prefix(count);
  }
  return true;
}

bool NewFile::finish(std::string& error) {
  const bool flushed = FlushFileBuffers(nativeHandle(handle_)) != 0;
  if (!flushed) error = systemMessage(GetLastError());
  close();
  return flushed;
}

void NewFile::close() {
  if (handle_ == invalidHandle) return;
  CloseHandle(nativeHandle(handle_));
  handle_ = invalidHandle;
}

bool replaceFile(const std::string& from, const std::string& to, std::string& error) {
  // While a reader (the plotter's refresh) has the log open, Windows may refuse to replace
  // it; the plotter reads for a moment only, so a few short retries usually get through.
  DWORD code = 0;
  for (int attempt = 0; attempt < 25; ++attempt) {
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return true;
    }
    code = GetLastError();
    if (code != ERROR_ACCESS_DENIED && code != ERROR_SHARING_VIOLATION) break;
    Sleep(20);
  }
  error = systemMessage(code);
  return false;
}

void removeFile(const std::string& path) { DeleteFileA(path.c_str()); }

}  // namespace feed
