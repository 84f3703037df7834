// Low-level reads, positioning, length and end tests on one open file record, by slot index.
//
// A slot's position and hitEnd behave exactly as if every byte were read with its own system
// call at that position: a read delivers the file's bytes as they are when it runs, fewer bytes
// than asked means the end of the file (the rest of the caller's buffer is zeroed and hitEnd is
// set), a full read clears hitEnd, and a seek only moves the position.
//
// Underneath, bytes are read ahead in blocks into the slot's buffer. The buffer is a copy of a
// stretch of the file; a file that another program appends to keeps its earlier bytes, so
// serving them from the copy changes nothing. When the buffer is used up the file is read
// again, so bytes appended after the open arrive exactly when a byte-by-byte reader would see
// them, and the end of the file is decided by what that read returns. A look-back moves to the
// byte just read, which is always in the buffer, so it never reads the file again.
//
// Results are FileStatus codes (0 success, negative failures). ProgramThread only.
#pragma once

#include <cstdint>

#include "runtime/files/file_table.h"
#include "runtime/platform/native_file.h"

namespace rt {

// Reads `count` bytes at the slot's position into `buffer` and adds what arrived to the
// position. ShortRead (the rest zero-filled, hitEnd set) when the file ends first; NotOpen,
// Failed (no read access), Denied or Fault otherwise.
FileStatus readBytes(int32_t slotIndex, void* buffer, int64_t count);

// Moves to `offset` and reads there, as readBytes.
FileStatus readBytesAt(int32_t slotIndex, int64_t offset, void* buffer, int64_t count);

// Moves the position to `offset` bytes from the start. BadPosition for a negative offset.
FileStatus seekTo(int32_t slotIndex, int64_t offset);

// The file's length now, or a negative FileStatus (NotOpen, Failed).
int64_t fileLength(int32_t slotIndex);

// 1 when the position is not below the file's length, 0 when it is, or a negative FileStatus.
int32_t atOrPastEnd(int32_t slotIndex);

// Reads the next block at the slot's position into its buffer (the buffer must not already hold
// the byte at the position). Returns the bytes now buffered from the position on (1 or more),
// 0 at the end of the file (hitEnd set), or a negative FileStatus: Fault also when the file has
// become shorter than bytes already read from it (it was cut short while open).
int64_t fillBuffer(int32_t slotIndex);

}  // namespace rt
