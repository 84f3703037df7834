#include "runtime/files/file_place.h"

#include "runtime/files/file_io.h"
#include "runtime/files/file_table.h"

namespace rt {

std::optional<FilePlace> placeOfFile(int32_t fileNumber) {
  const int32_t slotIndex = fileTable().slotOfNumber(fileNumber);
  const FileSlot* slot = fileTable().openSlot(slotIndex);
  if (slot == nullptr) return std::nullopt;
  return FilePlace{fileTable().nativeFile(slotIndex).id(), slot->position};
}

bool moveFileTo(int32_t fileNumber, int64_t position) {
  return seekTo(fileTable().slotOfNumber(fileNumber), position) == FileStatus::Ok;
}

}  // namespace rt
