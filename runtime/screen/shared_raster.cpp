// Block operations on shared raster memory: memset, fill, memmove, memcmp and memcpy done as
// relaxed atomic words. Each aligns the shared side to 8 bytes with single bytes first, then
// moves whole words, eight to a loop turn so that the loop overhead stays small.
#include "runtime/screen/shared_raster.h"

namespace rt {
namespace {

constexpr uint64_t kEveryByte = 0x0101010101010101ull;

uint64_t loadPrivateWord(const uint8_t* at) {
  uint64_t value;
  std::memcpy(&value, at, 8);
  return value;
}

void storePrivateWord(uint8_t* at, uint64_t value) { std::memcpy(at, &value, 8); }

// Bytes before `at` reaches an 8-byte boundary, at most `bytes`.
size_t headBytes(const void* at, size_t bytes) {
  size_t head = (8 - (reinterpret_cast<uintptr_t>(at) & 7)) & 7;
  return head < bytes ? head : bytes;
}

}  // namespace

void fillSharedBytes(uint8_t* to, uint8_t value, size_t bytes) {
  const size_t head = headBytes(to, bytes);
  for (size_t i = 0; i < head; ++i) storeSharedByte(to + i, value);
  to += head;
  bytes -= head;
  const uint64_t word = value * kEveryByte;
  const size_t words = bytes / 8;
#pragma GCC unroll 8
  for (size_t i = 0; i < words; ++i) storeSharedAlignedWord(to + 8 * i, word);
  for (size_t i = words * 8; i < bytes; ++i) storeSharedByte(to + i, value);
}

void fillShared32(uint32_t* to, uint32_t value, size_t count) {
  // 32-bit stores only: 32-bit surfaces are read back as 32-bit values by blending.
#pragma GCC unroll 8
  for (size_t i = 0; i < count; ++i) storeShared32(to + i, value);
}

void copyToShared32(uint32_t* to, const uint32_t* from, size_t count) {
  for (size_t i = 0; i < count; ++i) storeShared32(to + i, from[i]);
}

void moveSharedBytesDown(uint8_t* to, const uint8_t* from, size_t bytes) {
  // Going forwards with to < from, every word is read before any store can reach it.
  const size_t head = headBytes(to, bytes);
  for (size_t i = 0; i < head; ++i) storeSharedByte(to + i, from[i]);
  to += head;
  from += head;
  bytes -= head;
  const size_t words = bytes / 8;
#pragma GCC unroll 8
  for (size_t i = 0; i < words; ++i) storeSharedAlignedWord(to + 8 * i, loadPrivateWord(from + 8 * i));
  for (size_t i = words * 8; i < bytes; ++i) storeSharedByte(to + i, from[i]);
}

bool sharedBytesEqual(const uint8_t* shared, const uint8_t* copy, size_t bytes) {
  const size_t head = headBytes(shared, bytes);
  for (size_t i = 0; i < head; ++i) {
    if (loadSharedByte(shared + i) != copy[i]) return false;
  }
  shared += head;
  copy += head;
  bytes -= head;
  // Eight words at a time, their differences combined, one branch per 64 bytes.
  const size_t blocks = bytes / 64;
  for (size_t b = 0; b < blocks; ++b, shared += 64, copy += 64) {
    uint64_t difference = 0;
#pragma GCC unroll 8
    for (int i = 0; i < 8; ++i) difference |= loadSharedWord(shared + 8 * i) ^ loadPrivateWord(copy + 8 * i);
    if (difference != 0) return false;
  }
  bytes -= blocks * 64;
  for (size_t i = 0; i + 8 <= bytes; i += 8) {
    if (loadSharedWord(shared + i) != loadPrivateWord(copy + i)) return false;
  }
  for (size_t i = bytes & ~size_t{7}; i < bytes; ++i) {
    if (loadSharedByte(shared + i) != copy[i]) return false;
  }
  return true;
}

void copySharedBytes(uint8_t* copy, const uint8_t* shared, size_t bytes) {
  const size_t head = headBytes(shared, bytes);
  for (size_t i = 0; i < head; ++i) copy[i] = loadSharedByte(shared + i);
  shared += head;
  copy += head;
  bytes -= head;
  const size_t words = bytes / 8;
#pragma GCC unroll 8
  for (size_t i = 0; i < words; ++i) storePrivateWord(copy + 8 * i, loadSharedWord(shared + 8 * i));
  for (size_t i = words * 8; i < bytes; ++i) copy[i] = loadSharedByte(shared + i);
}

void copyShared32(uint32_t* copy, const uint32_t* shared, size_t count) {
  for (size_t i = 0; i < count; ++i) copy[i] = loadShared32(shared + i);
}

}  // namespace rt
