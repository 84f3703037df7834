// Opening and closing numbered files.
//
// openFile binds a file number (1 and up) to a new FileSlot wrapping the opened native file;
// closeFile releases it again. The mode decides the access asked for and what happens when the
// file is missing; optional access and lock clauses override the access and keep other opens
// of the same file from reading or writing it. A file opened for sequential input starts with
// its first block read ahead; when its first byte is 26 the end-of-file test is true at once.
// A failed open raises a numbered error and leaves the number free.
//
// ProgramThread only, apart from closeAllFiles, which start-up and exit call.
#pragma once

#include <cstdint>

#include "runtime/core/rt_string.h"

namespace rt {

enum class OpenMode : int32_t {
  Default = 0,  // taken as Random
  Random = 1,
  Binary = 2,
  Input = 3,   // sequential input: the file must exist
  Output = 4,  // sequential output: created or emptied
  Append = 5,  // sequential output at the end: created when missing
};

enum class OpenAccess : int32_t { NotGiven = 0, ReadWrite = 1, Read = 2, Write = 3 };

enum class OpenLock : int32_t {
  NotGiven = 0,
  Shared = 1,
  DenyReadWrite = 2,
  DenyRead = 3,
  DenyWrite = 4,
};

// Opens `name` (relative to the current directory) as `fileNumber`. `recordLength` counts only
// when `recordLengthGiven`: non-zero, and positive or -1 (the default of 128 bytes, random
// mode). Errors: 5 bad record length or argument, 52 number below 1 (or above 65535),
// 55 number already open, 53 file missing, 76 folder missing, 70 access refused or a sharing
// conflict, 68 not a data file, 64 bad name, 75 (or 70) first byte of an input file unreadable.
// Does nothing while an error is pending. Blocks only on the file system.
void openFile(const RtString& name, OpenMode mode, OpenAccess access, OpenLock lock,
              int32_t fileNumber, int64_t recordLength = -1, bool recordLengthGiven = false);

// The same with the mode as text: its first letter, in either case, R random, B binary,
// I input, O output or A append; an empty text or another letter raises 54.
void openFile(const RtString& name, const RtString& modeText, OpenAccess access, OpenLock lock,
              int32_t fileNumber, int64_t recordLength = -1, bool recordLengthGiven = false);

// With `one`, closes `fileNumber` (a number that is not open is ignored); without it, closes
// every open number in ascending order. Does nothing while an error is pending.
void closeFile(int32_t fileNumber, bool one = true);

// Closes every open file number, in ascending order, whether or not an error is pending:
// start-up and the process exit call it. Any thread, once ProgramThread has parked.
void closeAllFiles();

}  // namespace rt
