// String values: literal and fixed descriptors, concatenation, single characters and blanks,
// substrings, search and comparison.
//
// Substrings never copy a temporary: they trim it in place (the text pointer moves forward, the
// length shrinks), since the temporary is about to die anyway. A range that covers the whole
// operand returns the operand itself.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <limits>

#include "runtime/core/errors.h"
#include "runtime/core/string_engine.h"
#include "runtime/core/string_storage.h"

namespace rt {

using namespace strings;

namespace {

// The neutral result of a value operation while an error is pending.
RtString* emptyTemporary() { return newString(0, true); }

// Bytes [offset, offset + length) of `s`, which the caller has checked lie inside it.
RtString* cutRange(RtString* s, int32_t offset, int32_t length) {
  if (offset == 0 && length == s->length) return s;
  if (s->temporary && ownsHeapText(s)) {
    s->text += offset;
    s->length = length;
    return s;
  }
  RtString* result = newString(length, true);  // may move the text of a heap variable `s`
  if (length > 0) std::memcpy(result->text, s->text + offset, static_cast<size_t>(length));
  if (s->temporary) freeTempString(s);
  return result;
}

int32_t clampCount(int32_t n, int32_t length) { return std::clamp(n, 0, length); }

}  // namespace

// ---- Creation -----------------------------------------------------------------------------------

RtString* newStringFromText(const char* text) {
  const size_t length = text != nullptr ? std::strlen(text) : 0;
  return newStringFromText(
      text, static_cast<int32_t>(std::min<size_t>(length, std::numeric_limits<int32_t>::max())));
}

RtString* newStringFromText(const char* text, int32_t length) {
  RtString* s = takeDescriptor();
  s->text = const_cast<char*>(text);
  s->length = text != nullptr ? std::max(length, 0) : 0;
  s->readOnly = true;
  pushTemporary(s);
  return s;
}

RtString* newFixedString(char* storage, int32_t length, bool temporary) {
  RtString* s = takeDescriptor();
  s->text = storage;
  s->length = storage != nullptr ? std::max(length, 0) : 0;
  s->fixed = true;
  if (temporary) pushTemporary(s);
  return s;
}

void markTemporary(RtString* s) {
  if (s == nullptr || s->temporary || isFreedDescriptor(s) || isPermanent(s)) return;
  pushTemporary(s);
}

// ---- Building values ----------------------------------------------------------------------------

RtString* concatStrings(RtString* a, RtString* b) {
  if (errorIsPending()) return emptyTemporary();
  if (b->length == 0) return a;
  if (a->length == 0) return b;
  const int64_t total = int64_t{a->length} + b->length;
  // No descriptor can hold a longer value: that is running out of string memory.
  if (total > std::numeric_limits<int32_t>::max()) failAllocation(512);
  RtString* result = newString(static_cast<int32_t>(total), true);  // may move a's and b's texts
  std::memcpy(result->text, a->text, static_cast<size_t>(a->length));
  std::memcpy(result->text + a->length, b->text, static_cast<size_t>(b->length));
  if (a->temporary) freeTempString(a);
  if (b->temporary && b != a) freeTempString(b);
  return result;
}

RtString* charString(int32_t code) {
  if (errorIsPending()) return emptyTemporary();
  if (code < 0 || code > 255) {
    raiseError(5);
    return emptyTemporary();
  }
  RtString* s = newString(1, true);
  s->text[0] = static_cast<char>(static_cast<unsigned char>(code));
  return s;
}

RtString* spaces(int32_t n) {
  if (errorIsPending()) return emptyTemporary();
  // Short runs, which are nearly always printed at once, are read-only temporaries over one
  // constant run of blanks: no heap text is made and filled only to be freed again.
  static constexpr auto kBlanks = [] {
    std::array<char, 256> blanks{};
    blanks.fill(' ');
    return blanks;
  }();
  if (n <= static_cast<int32_t>(kBlanks.size())) return newStringFromText(kBlanks.data(), std::max(n, 0));
  RtString* s = newString(n, true);
  if (s->length > 0) std::memset(s->text, ' ', static_cast<size_t>(s->length));
  return s;
}

// ---- Substrings ---------------------------------------------------------------------------------

RtString* leftOf(RtString* s, int32_t n) {
  if (errorIsPending()) return emptyTemporary();
  return cutRange(s, 0, clampCount(n, s->length));
}

RtString* rightOf(RtString* s, int32_t n) {
  if (errorIsPending()) return emptyTemporary();
  const int32_t count = clampCount(n, s->length);
  return cutRange(s, s->length - count, count);
}

RtString* midOf(RtString* s, int32_t start, int32_t length) {
  if (errorIsPending()) return emptyTemporary();
  // 64-bit: a start near the bottom of the range must not wrap the length around.
  int64_t first = start;
  int64_t count = length;
  if (first < 1) {
    count -= 1 - first;
    first = 1;
  }
  if (count < 1 || first > s->length) return cutRange(s, 0, 0);
  count = std::min<int64_t>(count, s->length - first + 1);
  return cutRange(s, static_cast<int32_t>(first - 1), static_cast<int32_t>(count));
}

RtString* midOf(RtString* s, int32_t start) {
  if (errorIsPending()) return emptyTemporary();
  const int32_t first = std::max(start, 1);
  if (first > s->length) return cutRange(s, 0, 0);
  return cutRange(s, first - 1, s->length - first + 1);
}

// ---- Search and comparison ----------------------------------------------------------------------

int32_t findIn(const RtString* s, const RtString* t) { return findIn(1, s, t); }

int32_t findIn(int32_t start, const RtString* s, const RtString* t) {
  if (errorIsPending()) return 0;
  const int32_t sLength = s->length;
  const int32_t tLength = t->length;
  if (sLength == 0) return 0;
  if (start <= 0) {
    if (tLength == 0) return 0;
    start = 1;
  }
  if (start > sLength) return 0;
  if (tLength == 0) return start;
  if (int64_t{start} - 1 + tLength > sLength) return 0;

  int32_t at = start - 1;
#if defined(__GLIBC__)
  // glibc's memmem skips through the text by byte pairs; a list of call signs holds a call's
  // first letter almost everywhere, and the memchr and memcmp below would stop at each one.
  const void* found =
      memmem(s->text + at, static_cast<size_t>(sLength - at), t->text, static_cast<size_t>(tLength));
  return found == nullptr ? 0 : static_cast<int32_t>(static_cast<const char*>(found) - s->text) + 1;
#else
  const int32_t lastStart = sLength - tLength;  // 0-based last place where t still fits
  while (at <= lastStart) {
    const void* hit = std::memchr(s->text + at, static_cast<unsigned char>(t->text[0]),
                                  static_cast<size_t>(lastStart - at + 1));
    if (hit == nullptr) return 0;
    at = static_cast<int32_t>(static_cast<const char*>(hit) - s->text);
    if (std::memcmp(s->text + at, t->text, static_cast<size_t>(tLength)) == 0) return at + 1;
    ++at;
  }
  return 0;
#endif
}

int32_t stringsEqual(const RtString* a, const RtString* b) {
  if (errorIsPending()) return 0;
  if (a->length != b->length) return 0;
  if (a->length == 0) return -1;
  return std::memcmp(a->text, b->text, static_cast<size_t>(a->length)) == 0 ? -1 : 0;
}

int32_t stringsDiffer(const RtString* a, const RtString* b) {
  if (errorIsPending()) return 0;
  return stringsEqual(a, b) == -1 ? 0 : -1;
}

}  // namespace rt
