// Shared raster memory: the pixels, palettes and text-cursor fields of a surface, which
// ProgramThread draws into while the frame builder on RuntimeLoopThread reads them, with no
// lock between the two.
//
// Every access by one thread to that memory that can meet an access by the other is a relaxed
// atomic operation from this header, so the two threads never race in the language's sense.
// A frame may still catch a drawing half done; the builder needs the values, not an order
// between them, and what it must see whole (a new surface's size and memory) is published by
// the release store in setVisibleSurface. On x86-64 each relaxed load or store is the single
// move a plain access would be; only the wide copies of memset/memcpy are given up.
//
// Units: ProgramThread stores bytes, 32-bit pixels and palette entries, and 8-byte words at
// 8-byte-aligned addresses; the builder loads aligned 8-byte words (bytes at unaligned ends)
// and 32-bit palette entries. ProgramThread is the only writer, so its own reads of this memory
// (a blend reading the old pixel, a scroll reading the rows it moves) stay plain.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace rt {

// --- Single values, either side -------------------------------------------------------------

inline void storeSharedByte(uint8_t* at, uint8_t value) {
  std::atomic_ref<uint8_t>(*at).store(value, std::memory_order_relaxed);
}

inline void storeShared32(uint32_t* at, uint32_t value) {
  std::atomic_ref<uint32_t>(*at).store(value, std::memory_order_relaxed);
}

inline uint8_t loadSharedByte(const uint8_t* at) {
  return std::atomic_ref<uint8_t>(*const_cast<uint8_t*>(at)).load(std::memory_order_relaxed);
}

inline uint32_t loadShared32(const uint32_t* at) {
  return std::atomic_ref<uint32_t>(*const_cast<uint32_t*>(at)).load(std::memory_order_relaxed);
}

inline bool isWordAligned(const void* at) { return (reinterpret_cast<uintptr_t>(at) & 7) == 0; }

// Words are the 8 bytes at an address as memcpy would move them.

// The word at `at`, which must be 8-byte aligned.
inline uint64_t loadSharedWord(const uint8_t* at) {
  return std::atomic_ref<uint64_t>(*reinterpret_cast<uint64_t*>(const_cast<uint8_t*>(at)))
      .load(std::memory_order_relaxed);
}

// Stores a word at `at`, which must be 8-byte aligned. ProgramThread.
inline void storeSharedAlignedWord(uint8_t* at, uint64_t value) {
  std::atomic_ref<uint64_t>(*reinterpret_cast<uint64_t*>(at)).store(value, std::memory_order_relaxed);
}

// Stores a word at any `at`: one store when it is 8-byte aligned, else byte by byte.
// ProgramThread.
inline void storeSharedWord(uint8_t* at, uint64_t value) {
  if (isWordAligned(at)) return storeSharedAlignedWord(at, value);
  uint8_t bytes[8];
  std::memcpy(bytes, &value, 8);
  for (int i = 0; i < 8; ++i) storeSharedByte(at + i, bytes[i]);
}

// --- Blocks, ProgramThread (the writer) ----------------------------------------------------

// memset of `bytes` bytes at `to`.
void fillSharedBytes(uint8_t* to, uint8_t value, size_t bytes);

// std::fill_n of `count` 32-bit pixels or palette entries at `to`.
void fillShared32(uint32_t* to, uint32_t value, size_t count);

// Stores `count` 32-bit values from private memory `from` to `to`.
void copyToShared32(uint32_t* to, const uint32_t* from, size_t count);

// memmove of `bytes` bytes from `from` down to `to` in the same shared block (to < from, as a
// scroll moves rows up; the regions may overlap).
void moveSharedBytesDown(uint8_t* to, const uint8_t* from, size_t bytes);

// --- Blocks, the frame builder (the reader) ------------------------------------------------

// True when the `bytes` shared bytes at `shared` equal the private copy at `copy`.
bool sharedBytesEqual(const uint8_t* shared, const uint8_t* copy, size_t bytes);

// memcpy of `bytes` shared bytes at `shared` into private memory at `copy`.
void copySharedBytes(uint8_t* copy, const uint8_t* shared, size_t bytes);

// Loads `count` shared 32-bit values at `shared` into private memory at `copy`.
void copyShared32(uint32_t* copy, const uint32_t* shared, size_t count);

// --- Fields of a surface record --------------------------------------------------------------

// A surface field the frame builder reads while ProgramThread changes it (the text cursor):
// reads and writes are relaxed atomic accesses, and it converts to and from its value so that
// code reads as with a plain field. Copying a whole record (resets of free table slots) copies
// the value the same way.
template <typename T>
class SharedField {
 public:
  constexpr SharedField() = default;
  constexpr explicit SharedField(T value) : value_(value) {}
  SharedField(const SharedField& other) : value_(other.load()) {}
  SharedField& operator=(const SharedField& other) {
    store(other.load());
    return *this;
  }
  SharedField& operator=(T value) {
    store(value);
    return *this;
  }

  T load() const {
    return std::atomic_ref<T>(const_cast<T&>(value_)).load(std::memory_order_relaxed);
  }
  void store(T value) { std::atomic_ref<T>(value_).store(value, std::memory_order_relaxed); }
  operator T() const { return load(); }

  // One writer: a load and a store, not a locked read-modify-write.
  SharedField& operator++() {
    store(static_cast<T>(load() + 1));
    return *this;
  }
  SharedField& operator--() {
    store(static_cast<T>(load() - 1));
    return *this;
  }

 private:
  alignas(std::atomic_ref<T>::required_alignment) T value_{};
};

}  // namespace rt
