#include "runtime/files/field_input.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <initializer_list>
#include <string>

#include "runtime/core/errors.h"
#include "runtime/core/string_engine.h"
#include "runtime/core/rounding.h"
#include "runtime/files/file_io.h"
#include "runtime/files/file_table.h"

namespace rt {
namespace {

constexpr int kEndOfData = -1;
constexpr int kReadFailed = -2;
constexpr int kFieldTooLong = -3;  // a string field's value would pass the longest string
constexpr int kEndOfDataByte = 26;

// The longest string field kept; tests lower it to reach the limit with a small file.
size_t longestField = kLongestStringField;

bool isBlank(uint8_t b) { return b == ' ' || b == '\t'; }

// Appends the bytes [begin, end) of a field to `out`, up to the longest string field. Beyond
// it only blanks may follow when `blanksDropped` (an unquoted field loses its trailing blanks,
// so they make it too long only if something else comes after them; they are not kept).
// False when the field's value is too long.
bool keepFieldBytes(std::string& out, const uint8_t* begin, const uint8_t* end,
                    bool blanksDropped) {
  const size_t room = longestField - std::min(out.size(), longestField);
  const size_t kept = std::min(static_cast<size_t>(end - begin), room);
  out.append(reinterpret_cast<const char*>(begin), kept);
  for (const uint8_t* p = begin + kept; p < end; ++p) {
    if (!blanksDropped || !isBlank(*p)) return false;
  }
  return true;
}

// Raises the error for a failed read and returns kReadFailed.
int readFailure(FileStatus status) {
  switch (status) {
    case FileStatus::NotOpen: raiseError(258); break;
    case FileStatus::Failed: raiseError(54); break;
    case FileStatus::BadPosition: raiseError(5); break;
    case FileStatus::Denied: raiseError(70); break;
    default: raiseError(75); break;
  }
  return kReadFailed;
}

// Bytes at which a scan stops; byte 26 always stops it, since it ends the data.
struct StopSet {
  std::array<bool, 256> stops{};
  constexpr StopSet(std::initializer_list<uint8_t> bytes) {
    for (uint8_t b : bytes) stops[b] = true;
    stops[kEndOfDataByte] = true;
  }
  bool operator[](uint8_t b) const { return stops[b]; }
};
constexpr StopSet kFieldEnds{'\r', '\n', ','};
constexpr StopSet kClosingQuote{'"'};

// Reads one open, readable slot byte by byte, as readInputChar does, from its read-ahead buffer.
class FieldReader {
 public:
  explicit FieldReader(int32_t slotIndex)
      : index_(slotIndex), slot_(&fileTable().slot(slotIndex)) {}

  // readInputChar: the next byte, kEndOfData or kReadFailed.
  int next() {
    const int64_t offset = slot_->position - slot_->bufferStart;
    if (offset >= 0 && offset < slot_->bufferLength) [[likely]] {
      return deliver(slot_->buffer[static_cast<size_t>(offset)]);
    }
    return nextAfterFill();
  }

  // Moves the position back over the byte just read.
  void lookBack() { --slot_->position; }

  // Reads bytes up to the first one in `stops` and returns it as next() would (consumed), or
  // kEndOfData / kReadFailed. The bytes before it are appended to `out` when one is given
  // (keepFieldBytes: kFieldTooLong when they make the value too long, `blanksDropped` as there).
  // Works a buffered block at a time, so a field of any length costs linear time.
  int scanUntil(const StopSet& stops, std::string* out, bool blanksDropped = false) {
    for (;;) {
      const int64_t offset = slot_->position - slot_->bufferStart;
      if (offset >= 0 && offset < slot_->bufferLength) {
        const uint8_t* begin = slot_->buffer.get() + offset;
        const uint8_t* end = slot_->buffer.get() + slot_->bufferLength;
        const uint8_t* p = begin;
        while (p < end && !stops[*p]) ++p;
        if (p != begin) {
          if (out != nullptr && !keepFieldBytes(*out, begin, p, blanksDropped)) {
            return kFieldTooLong;
          }
          slot_->position += p - begin;
          slot_->hitEnd = false;
        }
        if (p < end) return deliver(*p);
      }
      const int64_t got = fillBuffer(index_);
      if (got < 0) return readFailure(static_cast<FileStatus>(got));
      if (got == 0) return kEndOfData;
    }
  }

 private:
  int deliver(uint8_t byte) {
    if (byte == kEndOfDataByte) {
      // The byte stays in the file: every later read meets it again.
      slot_->hitEnd = true;
      return kEndOfData;
    }
    ++slot_->position;
    slot_->hitEnd = false;
    return byte;
  }

  int nextAfterFill() {
    const int64_t got = fillBuffer(index_);
    if (got < 0) return readFailure(static_cast<FileStatus>(got));
    if (got == 0) return kEndOfData;
    return deliver(slot_->buffer[static_cast<size_t>(slot_->position - slot_->bufferStart)]);
  }

  int32_t index_;
  FileSlot* slot_;
};

// True when the slot can be read byte by byte; otherwise raises the read error.
bool readableSlot(int32_t slotIndex) {
  const FileSlot* slot = fileTable().openSlot(slotIndex);
  const FileStatus status = slot == nullptr  ? FileStatus::NotOpen
                            : !slot->canRead ? FileStatus::Failed
                                             : FileStatus::Ok;
  if (status == FileStatus::Ok) return true;
  readFailure(status);
  return false;
}

// The slot of a file number open for sequential input with read access, or -1 after raising
// 52, 54 or 75.
int32_t inputSlot(int32_t fileNumber) {
  const int32_t index = fileTable().slotOfNumber(fileNumber);
  if (index < 0) {
    raiseError(52);
    return -1;
  }
  const FileSlot& slot = fileTable().slot(index);
  if (slot.mode != FileMode::Input) {
    raiseError(54);
    return -1;
  }
  if (!slot.canRead) {
    raiseError(75);
    return -1;
  }
  return index;
}

void consumeLineEnd(FieldReader& reader, int c) {
  const int n = reader.next();
  if (n < 0) return;
  if (n == (c == '\r' ? '\n' : '\r')) {
    // Peek one byte past the pair; at the end of the file this sets hitEnd.
    if (reader.next() < 0) return;
  }
  reader.lookBack();
}

void skipToFieldEnd(FieldReader& reader, int c) {
  for (;;) {
    if (c == kEndOfData || c == kReadFailed || c == ',') return;
    if (c == '\r' || c == '\n') {
      consumeLineEnd(reader, c);
      return;
    }
    if (c == ' ') {
      const int n = reader.next();
      if (n < 0) return;
      if (n != ' ' && n != ',' && n != '\r' && n != '\n') {
        reader.lookBack();  // the first byte of the next field
        return;
      }
      c = n;
      continue;
    }
    c = reader.next();
  }
}

// The digits of a number field as gathered, before conversion.
struct GatheredNumber {
  enum class Radix { Decimal, Hexadecimal, Octal };
  static constexpr int kMaxDigits = 256;
  static constexpr int kMaxExponentDigits = 18;

  std::array<uint8_t, kMaxDigits> digits{};
  int digitCount = 0;
  Radix radix = Radix::Decimal;
  bool negative = false;
  int64_t decimalExponent = 0;  // power of ten of the first digit
  bool tooManyDigits = false;

  void store(int digit) {
    if (digitCount == kMaxDigits) {
      tooManyDigits = true;
    } else {
      digits[static_cast<size_t>(digitCount++)] = static_cast<uint8_t>(digit);
    }
  }
};

enum class GatherStatus { Read, TooManyDigits, PastEnd, Failed };

int digitValue(int c, int base) {
  int d = -1;
  if (c >= '0' && c <= '9')
    d = c - '0';
  else if (c >= 'A' && c <= 'F')
    d = c - 'A' + 10;
  else if (c >= 'a' && c <= 'f')
    d = c - 'a' + 10;
  return d < base ? d : -1;
}

// Runs the decimal recogniser from byte `c` on; returns the byte that ended the number.
int recogniseDecimal(FieldReader& reader, int c, GatheredNumber& number) {
  enum State { Start, Integer, Fraction, ExponentLetter, ExponentDigits };
  State state = Start;
  bool exponentNegative = false;
  int64_t exponentValue = 0;
  int exponentDigits = 0;
  for (;; c = reader.next()) {
    if (c < 0) break;
    if (c == '-' || c == '+') {
      if (state == Start) {
        number.negative = c == '-';
        state = Integer;
      } else if (state == ExponentLetter) {
        exponentNegative = c == '-';
        state = ExponentDigits;
      } else {
        break;
      }
    } else if (c == '.') {
      if (state >= Fraction) break;
      if (number.digitCount == 0) number.decimalExponent = -1;
      state = Fraction;
    } else if (c == 'E' || c == 'e' || c == 'D' || c == 'd') {
      if (state >= ExponentLetter) break;
      state = ExponentLetter;
    } else if (c >= '0' && c <= '9') {
      const int digit = c - '0';
      if (state <= Integer) {
        state = Integer;
        if (number.digitCount == 0 && digit == 0) continue;  // leading zero
        if (number.digitCount > 0) ++number.decimalExponent;
        number.store(digit);
      } else if (state == Fraction) {
        if (number.digitCount == 0 && digit == 0) {
          --number.decimalExponent;  // zero between the point and the first digit
          continue;
        }
        number.store(digit);
      } else {
        state = ExponentDigits;
        if (exponentDigits == 0 && digit == 0) continue;
        if (++exponentDigits > GatheredNumber::kMaxExponentDigits) {
          number.tooManyDigits = true;
        } else {
          exponentValue = exponentValue * 10 + digit;
        }
      }
    } else {
      break;
    }
  }
  number.decimalExponent += exponentNegative ? -exponentValue : exponentValue;
  if (number.digitCount == 0) {
    number.decimalExponent = 0;
    number.negative = false;
  }
  return c;
}

// Cuts one number field from the file. A field with too many digits is still consumed whole,
// so the next read starts at the next field.
GatherStatus gatherNumber(int32_t fileNumber, GatheredNumber& number) {
  if (fileNumber < 0) return GatherStatus::Failed;  // stream handles: not used here
  const int32_t index = inputSlot(fileNumber);
  if (index < 0) return GatherStatus::Failed;
  FieldReader reader(index);
  int c;
  do c = reader.next();
  while (c == ' ');
  if (c == kReadFailed) return GatherStatus::Failed;
  if (c == kEndOfData) return GatherStatus::PastEnd;
  if (c == '&') {
    c = reader.next();
    int base = 0;
    if (c == 'H' || c == 'h') {
      base = 16;
      number.radix = GatheredNumber::Radix::Hexadecimal;
    } else if (c == 'O' || c == 'o') {
      base = 8;
      number.radix = GatheredNumber::Radix::Octal;
    }
    if (base != 0) {
      for (c = reader.next(); digitValue(c, base) >= 0; c = reader.next()) {
        number.store(digitValue(c, base));
      }
    }
  } else {
    c = recogniseDecimal(reader, c, number);
  }
  if (c == kReadFailed) return GatherStatus::Failed;
  skipToFieldEnd(reader, c);
  return number.tooManyDigits ? GatherStatus::TooManyDigits : GatherStatus::Read;
}

// Converts the gathered digits; false when the value overflows.
bool convertNumber(const GatheredNumber& number, long double& value) {
  value = 0;
  const int count = number.digitCount;
  if (count == 0) return true;
  if (number.radix != GatheredNumber::Radix::Decimal) {
    const bool hex = number.radix == GatheredNumber::Radix::Hexadecimal;
    if (hex ? count > 16 : (count > 22 || (count == 22 && number.digits[0] > 1))) return false;
    uint64_t bits = 0;
    for (int i = 0; i < count; ++i)
      bits = (bits << (hex ? 4 : 3)) | number.digits[static_cast<size_t>(i)];
    value = static_cast<long double>(static_cast<int64_t>(bits));
    return true;
  }

  const int64_t exponent = number.decimalExponent;
  if (exponent > 308) return false;
  if (exponent == 308) {
    static constexpr char kLargest[] = "17976931348623157";
    for (int i = 0; i < std::min(count, 17); ++i) {
      const int largest = kLargest[i] - '0';
      if (number.digits[static_cast<size_t>(i)] != largest) {
        if (number.digits[static_cast<size_t>(i)] > largest) return false;
        break;
      }
    }
  }
  if (exponent < -324) return true;
  // Digits after the 17th are dropped, not rounded.
  const int used = std::min(count, 17);
  if (exponent >= used - 1 && exponent < 15) {
    // A whole number below 10^15 is exact in a double: no text needed.
    uint64_t whole = 0;
    for (int i = 0; i < used; ++i) whole = whole * 10 + number.digits[static_cast<size_t>(i)];
    for (int64_t i = used - 1; i < exponent; ++i) whole *= 10;
    value = number.negative ? -static_cast<long double>(whole) : static_cast<long double>(whole);
    return true;
  }
  // "-d.dddE±x", converted to the nearest double.
  char text[48];
  char* p = text;
  if (number.negative) *p++ = '-';
  *p++ = static_cast<char>('0' + number.digits[0]);
  *p++ = '.';
  if (used == 1) *p++ = '0';
  for (int i = 1; i < used; ++i)
    *p++ = static_cast<char>('0' + number.digits[static_cast<size_t>(i)]);
  *p++ = 'E';
  p = std::to_chars(p, text + sizeof text, exponent).ptr;
  double parsed = 0;
  if (std::from_chars(text, p, parsed).ec != std::errc()) {
    parsed = number.negative ? -0.0 : 0.0;  // below the smallest double: zero
  }
  value = parsed;
  return true;
}

// Checks `value` against the target type; integer types are rounded. False on overflow.
bool fitTargetType(long double& value, uint32_t typeDescriptor) {
  uint32_t width = typeDescriptor & kFieldWidthMask;
  if ((typeDescriptor & kFieldFloat) != 0) {
    if (width >= 64) return true;
    return std::fabs(value) <= static_cast<long double>(3.402823466e38);
  }
  if (!(value >= -0x1p63L && value < 0x1p63L)) return false;
  const int64_t rounded = roundToInteger(value);
  if (width == 0 || width > 64) width = 64;
  if ((typeDescriptor & kFieldUnsigned) != 0) {
    if (rounded < 0) return false;
    if (width < 64 && static_cast<uint64_t>(rounded) > (uint64_t{1} << width) - 1) return false;
  } else if (width < 64) {
    const int64_t lowest = -(int64_t{1} << (width - 1));
    if (rounded < lowest || rounded > -lowest - 1) return false;
  }
  value = static_cast<long double>(rounded);
  return true;
}

// The field being collected; its storage is kept between fields and handed to the target.
std::string& workingField() {
  static std::string field;
  return field;
}

}  // namespace

int readInputChar(int32_t slotIndex) {
  if (!readableSlot(slotIndex)) return kReadFailed;
  return FieldReader(slotIndex).next();
}

void consumeLineEnd(int32_t slotIndex, int c) {
  if (!readableSlot(slotIndex)) return;
  FieldReader reader(slotIndex);
  consumeLineEnd(reader, c);
}

void skipToFieldEnd(int32_t slotIndex, int c) {
  if (!readableSlot(slotIndex)) return;
  FieldReader reader(slotIndex);
  skipToFieldEnd(reader, c);
}

namespace {

// What reading a string field did to its target.
enum class StringRead {
  Untouched,  // nothing read (a read failed, or no string can hold the field)
  Emptied,    // past the end of the data: the target becomes empty (error 62 is raised)
  Read,       // the value is in workingField()
};

StringRead readStringField(int32_t fileNumber) {
  if (errorIsPending() || fileNumber < 0) return StringRead::Untouched;
  const int32_t index = inputSlot(fileNumber);
  if (index < 0) return StringRead::Untouched;
  FieldReader reader(index);
  std::string& field = workingField();
  field.clear();

  int c;
  do c = reader.next();
  while (c == ' ' || c == '\t');
  if (c == kReadFailed) return StringRead::Untouched;
  if (c == kEndOfData) {
    raiseError(62);
    return StringRead::Emptied;
  }
  if (c == '"') {
    c = reader.scanUntil(kClosingQuote, &field);  // kept exactly, blanks included
  } else {
    if (c != '\r' && c != '\n' && c != ',') {
      field.push_back(static_cast<char>(c));
      c = reader.scanUntil(kFieldEnds, &field, true);
    }
    const size_t kept = field.find_last_not_of(" \t");
    field.resize(kept == std::string::npos ? 0 : kept + 1);
  }
  if (c == kFieldTooLong) {
    // No string can hold the value: out of string memory, as for a concatenation that long.
    raiseError(512);
    return StringRead::Untouched;
  }
  // The terminator; after a closing quote, everything up to it is dropped.
  for (;;) {
    if (c == kReadFailed) return StringRead::Untouched;
    if (c == '\r' || c == '\n') {
      consumeLineEnd(reader, c);
      break;
    }
    if (c == ',' || c == kEndOfData) break;
    c = reader.scanUntil(kFieldEnds, nullptr);
  }
  return StringRead::Read;
}

}  // namespace

void inputStringField(int32_t fileNumber, std::string& target) {
  switch (readStringField(fileNumber)) {
    case StringRead::Untouched: return;
    case StringRead::Emptied: target.clear(); return;
    case StringRead::Read: target.swap(workingField()); return;
  }
}

void inputStringField(int32_t fileNumber, RtString* target) {
  if (target == nullptr) return;
  // The value goes from the working field straight into the target: no copy of the old value
  // and no string of our own in between.
  std::string_view value;
  switch (readStringField(fileNumber)) {
    case StringRead::Untouched: return;
    case StringRead::Emptied: break;
    case StringRead::Read: value = workingField(); break;
  }
  if (value == target->view()) return;
  // The read itself may have raised 62 after emptying the field; its assignment still
  // belongs to the read, so it is made with the error set aside for a moment.
  uint32_t pending = pendingError.exchange(0, std::memory_order_relaxed);
  // The read keeps no more than kLongestStringField bytes, so the length fits.
  assignString(target, newStringFromText(value.data(), static_cast<int32_t>(value.size())));
  pendingError.store(pending, std::memory_order_relaxed);
}

long double inputNumberField(int32_t fileNumber, uint32_t typeDescriptor) {
  if (errorIsPending()) return 0;
  GatheredNumber number;
  switch (gatherNumber(fileNumber, number)) {
    case GatherStatus::Failed: return 0;
    case GatherStatus::PastEnd: raiseError(62); return 0;
    case GatherStatus::TooManyDigits: raiseError(6); return 0;
    case GatherStatus::Read: break;
  }
  // The terminator's read may have failed; the caller stores nothing then.
  if (errorIsPending()) return 0;
  long double value = 0;
  if (!convertNumber(number, value) || !fitTargetType(value, typeDescriptor)) {
    raiseError(6);
    return 0;
  }
  return value;
}

void setLongestStringFieldForTesting(size_t bytes) {
  longestField = std::clamp<size_t>(bytes, 1, kLongestStringField);
}

int32_t atEndOfFile(int32_t fileNumber) {
  FileTable& table = fileTable();
  const int32_t index = table.slotOfNumber(fileNumber);
  if (index < 0) {
    raiseError(52);
    return 0;
  }
  const FileSlot& slot = table.slot(index);
  if (slot.mode == FileMode::Input) {
    // Bytes buffered beyond the position are in the file, so the position is below the
    // file's length; only past the buffer is the length asked for.
    if (slot.position >= slot.bufferStart + slot.bufferLength) {
      const int64_t length = fileLength(index);
      if (length < 0) {
        raiseError(75);
        return -1;
      }
      if (slot.position >= length) return -1;
    }
  }
  return slot.hitEnd ? -1 : 0;
}

}  // namespace rt
