// Sequential field input: comma-separated text fields read from a file opened for input.
//
// A field is cut from the file's byte stream as the legacy runtime does it, and the rules
// differ for string and number fields:
//  - A string field skips leading blanks (space, tab) and ends at a comma, a line end or the
//    end of the data; unquoted fields lose trailing blanks; a field starting with a double
//    quote runs to the closing quote (commas and line ends inside are data) and the text from
//    there to the next comma or line end is dropped.
//  - A number field skips spaces (not tabs), recognises a decimal number with sign, point and
//    exponent (E or D), or &H hexadecimal or &O octal digits, and drops the rest of the field;
//    one or more spaces after a number also end the field.
//  - A line end is CR, LF, CR LF or LF CR; CR CR and LF LF are two line ends.
//  - Byte 26 ends the data for good; it stays in the file and every later read meets it.
// Every byte goes through readInputChar, with one-byte look-backs; the blocks underneath
// (file_io.h) change nothing of what is read, only how fast.
//
// Failures raise numbered errors (errors.h) and leave the target unchanged, except the end of
// the data before a field, which empties a string target (number fields return 0) and raises 62.
// A string field whose value would be longer than the longest string (kLongestStringField) is
// out of string memory, critical error 512 as for a concatenation that long: it ends the process.
// While an error is pending the field reads do nothing. ProgramThread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>

#include "runtime/core/rt_string.h"

namespace rt {

// The longest string field value: the longest string a descriptor can hold (2^31 - 1 bytes).
constexpr size_t kLongestStringField = std::numeric_limits<int32_t>::max();

// Type descriptor bits of inputNumberField: bits 0 to 8 the width in bits; the flags below.
constexpr uint32_t kFieldWidthMask = 0x1FF;
constexpr uint32_t kFieldFloat = 0x20000000;
constexpr uint32_t kFieldUnsigned = 0x10000000;
// The descriptor the application passes for its 16-bit signed integer fields.
constexpr uint32_t kSigned16Field = 0x8400010;

// The next byte of the slot's data (0 to 255); -1 at the end of the data (the end of the file
// or byte 26, which sets hitEnd and stays unread); -2 after a read failure raised an error
// (258, 54, 5, 70 or 75).
int readInputChar(int32_t slotIndex);

// After a line-end byte `c` (13 or 10) has been read: consumes its partner (LF after CR, CR
// after LF) if it follows. Peeks one byte further, so a line end that is the last thing in the
// file sets hitEnd.
void consumeLineEnd(int32_t slotIndex, int c);

// After a number field's last byte `c`: consumes the rest of the field and its terminator
// (comma, line end, or a run of spaces before the next field).
void skipToFieldEnd(int32_t slotIndex, int c);

// Reads the next field of `fileNumber` as a string into `target` (its storage is reused).
// Errors: 52 number not open, 54 not opened for input, 75 no read access, 62 end of data, 512
// (critical) a value longer than kLongestStringField; no more than that is ever kept.
// Negative numbers (stream handles, not used here) do nothing.
void inputStringField(int32_t fileNumber, std::string& target);

// The same into the string variable or fixed string `target`: the field read replaces its
// value, also when the read meets the end of the data (62: the value becomes empty); a read
// that fails before reading anything leaves it as it was.
void inputStringField(int32_t fileNumber, RtString* target);

// Reads the next field of `fileNumber` as a number and returns its value, checked against the
// target type (`typeDescriptor` bits above): floating types as read; integer types rounded to
// the nearest integer, ties to even, and within the type's range. Errors as for strings, plus
// 6 for more than 256 digits, more than 18 exponent digits, or a value the type cannot hold;
// 0 is returned after every error.
long double inputNumberField(int32_t fileNumber, uint32_t typeDescriptor);

// Ends one input statement's list of fields. It does nothing: the rest of the line is not
// skipped, and the next read starts right after the last field's terminator.
inline void endInputList() {}

// Lowers the longest string field value to `bytes` (1 to kLongestStringField), so that tests
// reach the limit with a small file; kLongestStringField restores it. Tests only.
void setLongestStringFieldForTesting(size_t bytes);

// -1 when the file opened for input has no more data: every byte is consumed or byte 26 was
// met; 0 otherwise. A number that is not open raises 52 and gives 0. Runs even while an error
// is pending.
int32_t atEndOfFile(int32_t fileNumber);

}  // namespace rt
