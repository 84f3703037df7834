#include "runtime/files/file_table.h"

#include <cassert>

namespace rt {

void FileTable::growNumberTable(int32_t number) {
  if (number > numberTableSize()) numbers_.resize(static_cast<size_t>(number), -1);
}

void FileTable::bindNumber(int32_t number, int32_t slotIndex) {
  assert(number >= 1 && number <= numberTableSize());
  numbers_[static_cast<size_t>(number - 1)] = slotIndex;
}

void FileTable::unbindNumber(int32_t number) {
  if (number >= 1 && number <= numberTableSize()) numbers_[static_cast<size_t>(number - 1)] = -1;
}

int32_t FileTable::takeSlot() {
  int32_t index;
  if (!freeSlots_.empty()) {
    index = freeSlots_.back();
    freeSlots_.pop_back();
  } else {
    index = slotCount();
    slots_.emplace_back();
    natives_.emplace_back();
  }
  slots_[static_cast<size_t>(index)] = FileSlot{};
  natives_[static_cast<size_t>(index)] = NativeFile{};
  slots_[static_cast<size_t>(index)].serial = ++serialCounter_;
  return index;
}

void FileTable::releaseSlot(int32_t slotIndex) {
  assert(slotIndex >= 0 && slotIndex < slotCount());
  FileSlot& record = slots_[static_cast<size_t>(slotIndex)];
  record.open = false;
  record.recordBuffer.reset();
  record.buffer.reset();
  record.bufferLength = 0;
  natives_[static_cast<size_t>(slotIndex)].close();
  freeSlots_.push_back(slotIndex);
}

FileTable& fileTable() {
  static FileTable table;
  return table;
}

}  // namespace rt
