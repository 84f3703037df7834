// File tables: the numbers the application gives its open files, and the records behind them.
//
// The file-number table maps a number (1 and up) to the index of a FileSlot in the handle
// table, or -1 while the number is free. Opening a number beyond the table enlarges it to
// exactly that number; it never shrinks. Looking a number up never enlarges it.
//
// The handle table holds the FileSlot records and, in a parallel array, the NativeFile each one
// wraps. Released records go on a free stack, so the most recently released one is taken
// first; every record taken is cleared and receives the next value of a 64-bit serial counter.
// Records and files are addressed by index, never by a pointer kept across an open.
//
// Each slot also carries a read-ahead buffer: a copy of the file's bytes from bufferStart,
// taken in blocks, from which the byte-by-byte readers are served (file_io.h states the rules).
//
// Only ProgramThread uses the tables, apart from the close-all at exit, which runs after
// ProgramThread has parked. They have no lock.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "runtime/platform/native_file.h"

namespace rt {

// How a file number was opened. An append open is stored as Output.
enum class FileMode : uint8_t { None = 0, Random = 1, Binary = 2, Input = 3, Output = 4 };

struct FreeDeleter {
  void operator()(void* p) const { std::free(p); }
};

struct FileSlot {
  uint64_t serial = 0;     // the allocation counter's value when the record was taken
  bool open = false;       // the record is in use
  bool canRead = false;    // opened with read access
  bool canWrite = false;   // opened with write access
  bool denyRead = false;   // other opens asking to read are refused
  bool denyWrite = false;  // other opens asking to write are refused
  int64_t position = 0;    // offset of the next byte read, as if every byte had its own read
  bool hitEnd = false;     // the last read reached the end of the file or met byte 26
  int32_t fileNumber = 0;  // the number bound to the record; 0 for none
  FileMode mode = FileMode::None;
  int64_t recordLength = 0;                            // random mode: bytes per record
  std::unique_ptr<uint8_t, FreeDeleter> recordBuffer;  // random mode: recordLength zero bytes
  int64_t nextRecord = 0;                              // random mode: next record number

  // Read-ahead: buffer[0, bufferLength) holds the file's bytes from offset bufferStart.
  std::unique_ptr<uint8_t[]> buffer;
  int64_t bufferCapacity = 0;
  int64_t bufferStart = 0;
  int64_t bufferLength = 0;
  int64_t nativePointer = 0;  // where the native file pointer stands; -1 when unknown
  int64_t dataExtent = 0;     // end of the furthest bytes ever read from the file
};

class FileTable {
 public:
  // File numbers above this are refused: a number table as large as any 32-bit number would
  // take gigabytes of memory for a single open.
  static constexpr int32_t kMaxFileNumber = 65535;
  // Read-ahead block size of the slots opened from now on.
  static constexpr int64_t kDefaultReadBufferBytes = 64 * 1024;

  // --- file-number table ---
  // Number of entries (the largest number the table has been enlarged to).
  int32_t numberTableSize() const { return static_cast<int32_t>(numbers_.size()); }
  // The slot index bound to `number`, or -1 when it is free, below 1 or beyond the table.
  int32_t slotOfNumber(int32_t number) const {
    if (number < 1 || number > numberTableSize()) return -1;
    return numbers_[static_cast<size_t>(number - 1)];
  }
  // Enlarges the table to exactly `number` entries when it is smaller; new entries are free.
  void growNumberTable(int32_t number);
  void bindNumber(int32_t number, int32_t slotIndex);
  void unbindNumber(int32_t number);

  // --- handle table ---
  // Takes a record (the most recently released, else a new one), cleared, with a new serial.
  int32_t takeSlot();
  // Closes the record's native file, frees its buffers and puts it on the free stack. The
  // caller unbinds its number first.
  void releaseSlot(int32_t slotIndex);
  // Number of records ever created (open or free).
  int32_t slotCount() const { return static_cast<int32_t>(slots_.size()); }
  // The record at `slotIndex` when it is open, else nullptr. Valid until the next takeSlot.
  FileSlot* openSlot(int32_t slotIndex) {
    if (slotIndex < 0 || slotIndex >= slotCount()) return nullptr;
    FileSlot& slot = slots_[static_cast<size_t>(slotIndex)];
    return slot.open ? &slot : nullptr;
  }
  FileSlot& slot(int32_t slotIndex) { return slots_[static_cast<size_t>(slotIndex)]; }
  NativeFile& nativeFile(int32_t slotIndex) { return natives_[static_cast<size_t>(slotIndex)]; }

  // Read-ahead block size for slots opened from now on (at least 1 byte). Tests use tiny
  // blocks to make every byte sit at a block boundary.
  void setReadBufferBytes(int64_t bytes) { readBufferBytes_ = bytes < 1 ? 1 : bytes; }
  int64_t readBufferBytes() const { return readBufferBytes_; }

 private:
  std::vector<int32_t> numbers_;  // numbers_[n - 1] is the entry of number n
  std::vector<FileSlot> slots_;
  std::vector<NativeFile> natives_;
  std::vector<int32_t> freeSlots_;
  uint64_t serialCounter_ = 0;
  int64_t readBufferBytes_ = kDefaultReadBufferBytes;
};

// The runtime's file tables. ProgramThread (and the close-all at exit).
FileTable& fileTable();

}  // namespace rt
