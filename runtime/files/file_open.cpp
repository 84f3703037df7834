#include "runtime/files/file_open.h"

#include <cstdlib>
#include <memory>
#include <string_view>

#include "runtime/core/errors.h"
#include "runtime/files/file_io.h"
#include "runtime/files/file_table.h"
#include "runtime/platform/native_file.h"

namespace rt {
namespace {

// What the open does about access and a missing file; decided by the mode and the clauses.
enum class Creation {
  ReadWriteWithFallback,  // read and write, else read only, else write only; created if missing
  OpenExisting,
  CreateOrTruncate,
  CreateOrOpen,
};

struct OpenRequest {
  bool canRead = false;
  bool canWrite = false;
  bool denyRead = false;
  bool denyWrite = false;
  Creation creation = Creation::OpenExisting;
};

char upperAscii(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

// "COM" in any case, a decimal port number and a colon: a serial port on the original
// platform. Serial ports are not supported, so such names are refused as unusable devices.
bool isSerialPortName(std::string_view name) {
  if (name.size() <= 3 || upperAscii(name[0]) != 'C' || upperAscii(name[1]) != 'O' ||
      upperAscii(name[2]) != 'M') {
    return false;
  }
  size_t i = 3;
  while (i < name.size() && name[i] >= '0' && name[i] <= '9') ++i;
  return i > 3 && i < name.size() && name[i] == ':';
}

// True when `slot` (just opened on file `id`) and another open record of the same file keep
// each other out: one denies reading or writing that the other does.
bool sharingConflict(FileTable& table, int32_t self, const FileSlot& slot, NativeFileId id) {
  for (int32_t i = 0; i < table.slotCount(); ++i) {
    const FileSlot* other = i == self ? nullptr : table.openSlot(i);
    if (other == nullptr || !(table.nativeFile(i).id() == id)) continue;
    if ((other->denyRead && slot.canRead) || (other->denyWrite && slot.canWrite) ||
        (slot.denyRead && other->canRead) || (slot.denyWrite && other->canWrite)) {
      return true;
    }
  }
  return false;
}

// Opens the file at the system level into a new record; returns its index, or a negative
// FileStatus after releasing the record.
int32_t openNative(std::string_view name, const OpenRequest& request) {
  FileTable& table = fileTable();
  const int32_t index = table.takeSlot();
  FileSlot& slot = table.slot(index);
  NativeFile& file = table.nativeFile(index);
  slot.denyRead = request.denyRead;
  slot.denyWrite = request.denyWrite;

  FileStatus status = FileStatus::DeviceUnavailable;
  if (!isSerialPortName(name)) {
    const NativeCreation creation = request.creation == Creation::OpenExisting
                                        ? NativeCreation::OpenExisting
                                        : NativeCreation::CreateOrOpen;
    auto attempt = [&](bool read, bool write) {
      slot.canRead = read;
      slot.canWrite = write;
      FileStatus opened = file.open(name, read, write, creation);
      if (opened == FileStatus::Ok && sharingConflict(table, index, slot, file.id())) {
        file.close();
        opened = FileStatus::Denied;
      }
      return opened;
    };
    status = attempt(request.canRead, request.canWrite);
    if (status != FileStatus::Ok && request.creation == Creation::ReadWriteWithFallback) {
      status = attempt(true, false);
      if (status != FileStatus::Ok) status = attempt(false, true);
    }
    // Emptied only once the sharing rules allowed the open.
    if (status == FileStatus::Ok && request.creation == Creation::CreateOrTruncate &&
        file.size() != 0) {
      status = file.truncateToEmpty();
    }
  }
  if (status != FileStatus::Ok) {
    table.releaseSlot(index);
    return static_cast<int32_t>(status);
  }
  slot.open = true;
  return index;
}

int32_t errorForOpenFailure(FileStatus status) {
  switch (status) {
    case FileStatus::PathNotFound: return 76;
    case FileStatus::Denied: return 70;
    case FileStatus::DeviceUnavailable: return 68;
    case FileStatus::BadName: return 64;
    default: return 53;
  }
}

void releaseNumber(int32_t fileNumber) {
  FileTable& table = fileTable();
  const int32_t index = table.slotOfNumber(fileNumber);
  if (index < 0) return;
  FileSlot& slot = table.slot(index);
  slot.open = false;
  if (slot.fileNumber != 0) table.unbindNumber(slot.fileNumber);
  table.releaseSlot(index);
}

OpenRequest requestFor(OpenMode mode, OpenAccess access, OpenLock lock) {
  OpenRequest request;
  switch (mode) {
    case OpenMode::Input: request = {true, false, false, false, Creation::OpenExisting}; break;
    case OpenMode::Output: request = {false, true, false, false, Creation::CreateOrTruncate}; break;
    case OpenMode::Append: request = {false, true, false, false, Creation::CreateOrOpen}; break;
    default: request = {true, true, false, false, Creation::ReadWriteWithFallback}; break;
  }
  if (access != OpenAccess::NotGiven) {
    request.canRead = access != OpenAccess::Write;
    request.canWrite = access != OpenAccess::Read;
    if (request.creation == Creation::ReadWriteWithFallback)
      request.creation = Creation::CreateOrOpen;
  }
  request.denyRead = lock == OpenLock::DenyReadWrite || lock == OpenLock::DenyRead;
  request.denyWrite = lock == OpenLock::DenyReadWrite || lock == OpenLock::DenyWrite;
  return request;
}

}  // namespace

void openFile(const RtString& name, OpenMode mode, OpenAccess access, OpenLock lock,
              int32_t fileNumber, int64_t recordLength, bool recordLengthGiven) {
  if (errorIsPending()) return;
  const auto modeValue = static_cast<int32_t>(mode);
  const auto accessValue = static_cast<int32_t>(access);
  const auto lockValue = static_cast<int32_t>(lock);
  if (modeValue < 0 || modeValue > 5 || accessValue < 0 || accessValue > 3 || lockValue < 0 ||
      lockValue > 4) {
    raiseError(5);
    return;
  }
  if (mode == OpenMode::Default) mode = OpenMode::Random;
  if (recordLengthGiven && (recordLength == 0 || recordLength < -1)) {
    raiseError(5);
    return;
  }
  FileTable& table = fileTable();
  if (fileNumber < 1 || fileNumber > FileTable::kMaxFileNumber) {
    raiseError(52);
    return;
  }
  table.growNumberTable(fileNumber);
  if (table.slotOfNumber(fileNumber) >= 0) {
    raiseError(55);
    return;
  }

  // Random mode's record buffer, zero-filled; taken first so that a failure leaves nothing open.
  std::unique_ptr<uint8_t, FreeDeleter> recordBuffer;
  int64_t length = 0;
  if (mode == OpenMode::Random) {
    length = (recordLengthGiven && recordLength != -1) ? recordLength : 128;
    recordBuffer.reset(static_cast<uint8_t*>(std::calloc(static_cast<size_t>(length), 1)));
    if (!recordBuffer) {
      raiseError(7);
      return;
    }
  }

  const int32_t index = openNative(name.view(), requestFor(mode, access, lock));
  if (index < 0) {
    raiseError(errorForOpenFailure(static_cast<FileStatus>(index)));
    return;
  }
  FileSlot& slot = table.slot(index);
  table.bindNumber(fileNumber, index);
  slot.fileNumber = fileNumber;
  slot.mode = mode == OpenMode::Append ? FileMode::Output
                                       : static_cast<FileMode>(static_cast<int32_t>(mode));
  slot.nextRecord = 1;
  slot.recordLength = length;
  slot.recordBuffer = std::move(recordBuffer);

  if (mode == OpenMode::Append) {
    const int64_t size = fileLength(index);
    if (size > 0) seekTo(index, size);
  } else if (mode == OpenMode::Input && fileLength(index) != 0) {
    // Read the first byte (and with it the first block): byte 26 there means no data at all.
    uint8_t first = 0;
    const FileStatus read = readBytes(index, &first, 1);
    if (read == FileStatus::Ok || read == FileStatus::ShortRead) {
      if (read == FileStatus::Ok && first == 26) slot.hitEnd = true;
      seekTo(index, 0);
    } else {
      // The open fails as a whole: the number stays free.
      releaseNumber(fileNumber);
      raiseError(read == FileStatus::Denied ? 70 : 75);
    }
  }
}

void openFile(const RtString& name, const RtString& modeText, OpenAccess access, OpenLock lock,
              int32_t fileNumber, int64_t recordLength, bool recordLengthGiven) {
  if (errorIsPending()) return;
  const std::string_view text = modeText.view();
  OpenMode mode;
  switch (text.empty() ? '\0' : upperAscii(text[0])) {
    case 'R': mode = OpenMode::Random; break;
    case 'B': mode = OpenMode::Binary; break;
    case 'I': mode = OpenMode::Input; break;
    case 'O': mode = OpenMode::Output; break;
    case 'A': mode = OpenMode::Append; break;
    default: raiseError(54); return;
  }
  openFile(name, mode, access, lock, fileNumber, recordLength, recordLengthGiven);
}

void closeFile(int32_t fileNumber, bool one) {
  if (errorIsPending()) return;
  if (!one) {
    closeAllFiles();
    return;
  }
  // Negative numbers are the stream handles of services this system does not use.
  if (fileNumber < 1) return;
  releaseNumber(fileNumber);
}

void closeAllFiles() {
  FileTable& table = fileTable();
  for (int32_t number = 1; number <= table.numberTableSize(); ++number) releaseNumber(number);
}

}  // namespace rt
