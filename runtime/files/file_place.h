// Where an open file number stands: which file it reads and how far. Lets a program take up
// reading a file where an earlier open of it ended.
#pragma once

#include <cstdint>
#include <optional>

#include "runtime/platform/native_file.h"

namespace rt {

struct FilePlace {
  NativeFileId file;      // the file behind the number, whatever name reached it
  int64_t position = 0;   // the offset of the next byte it reads
};

// The place of `fileNumber`, or nothing when the number is not open. ProgramThread.
std::optional<FilePlace> placeOfFile(int32_t fileNumber);

// Moves the reading position of the open `fileNumber` to `position`, as a seek does; false when
// the number is not open. ProgramThread.
bool moveFileTo(int32_t fileNumber, int64_t position);

}  // namespace rt
