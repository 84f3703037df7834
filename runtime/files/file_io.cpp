#include "runtime/files/file_io.h"

#include <algorithm>
#include <cstring>

namespace rt {

int64_t fillBuffer(int32_t slotIndex) {
  FileTable& table = fileTable();
  FileSlot& slot = table.slot(slotIndex);
  NativeFile& file = table.nativeFile(slotIndex);
  if (!slot.buffer) {
    slot.bufferCapacity = table.readBufferBytes();
    slot.buffer = std::make_unique<uint8_t[]>(static_cast<size_t>(slot.bufferCapacity));
    slot.bufferLength = 0;
  }
  const int64_t position = slot.position;
  if (slot.nativePointer != position) {
    if (file.seek(position) != FileStatus::Ok) {
      slot.nativePointer = -1;
      return static_cast<int64_t>(FileStatus::Fault);
    }
    slot.nativePointer = position;
  }
  NativeRead got = file.read(slot.buffer.get(), static_cast<size_t>(slot.bufferCapacity));
  if (got.status != FileStatus::Ok) {
    slot.nativePointer = -1;
    return static_cast<int64_t>(got.status);
  }
  slot.nativePointer += got.bytes;
  if (got.bytes == 0) {
    slot.hitEnd = true;
    // Bytes already delivered are no longer in the file: it was cut short under the reader.
    // Carrying on would mix old and new contents, so the read fails instead.
    const int64_t length = file.size();
    if (length >= 0 && length < std::min(position, slot.dataExtent)) {
      return static_cast<int64_t>(FileStatus::Fault);
    }
    return 0;
  }
  slot.bufferStart = position;
  slot.bufferLength = got.bytes;
  slot.dataExtent = std::max(slot.dataExtent, position + got.bytes);
  return got.bytes;
}

FileStatus readBytes(int32_t slotIndex, void* buffer, int64_t count) {
  FileSlot* slot = fileTable().openSlot(slotIndex);
  if (slot == nullptr) return FileStatus::NotOpen;
  if (!slot->canRead) return FileStatus::Failed;
  auto* out = static_cast<uint8_t*>(buffer);
  int64_t done = 0;
  while (done < count) {
    const int64_t offset = slot->position - slot->bufferStart;
    if (offset >= 0 && offset < slot->bufferLength) {
      const int64_t n = std::min(slot->bufferLength - offset, count - done);
      std::memcpy(out + done, slot->buffer.get() + offset, static_cast<size_t>(n));
      slot->position += n;
      done += n;
      continue;
    }
    const int64_t got = fillBuffer(slotIndex);
    if (got < 0) return static_cast<FileStatus>(got);
    if (got == 0) break;
  }
  if (done < count) {
    std::memset(out + done, 0, static_cast<size_t>(count - done));
    slot->hitEnd = true;
    return FileStatus::ShortRead;
  }
  slot->hitEnd = false;
  return FileStatus::Ok;
}

FileStatus readBytesAt(int32_t slotIndex, int64_t offset, void* buffer, int64_t count) {
  FileStatus moved = seekTo(slotIndex, offset);
  return moved == FileStatus::Ok ? readBytes(slotIndex, buffer, count) : moved;
}

FileStatus seekTo(int32_t slotIndex, int64_t offset) {
  FileSlot* slot = fileTable().openSlot(slotIndex);
  if (slot == nullptr) return FileStatus::NotOpen;
  if (offset < 0) return FileStatus::BadPosition;
  // Only the position moves; the native pointer follows at the next block read.
  slot->position = offset;
  return FileStatus::Ok;
}

int64_t fileLength(int32_t slotIndex) {
  if (fileTable().openSlot(slotIndex) == nullptr) return static_cast<int64_t>(FileStatus::NotOpen);
  return fileTable().nativeFile(slotIndex).size();
}

int32_t atOrPastEnd(int32_t slotIndex) {
  FileSlot* slot = fileTable().openSlot(slotIndex);
  if (slot == nullptr) return static_cast<int32_t>(FileStatus::NotOpen);
  const int64_t length = fileLength(slotIndex);
  if (length < 0) return static_cast<int32_t>(length);
  return slot->position >= length ? 1 : 0;
}

}  // namespace rt
