#include "runtime/core/low_memory.h"

#include <atomic>
#include <cstring>
#include <memory>

namespace rt {
namespace {

// Heap-allocated once so that the 1 MiB area does not sit in every test binary's image.
uint8_t* area() {
  static const std::unique_ptr<uint8_t[]> bytes(new uint8_t[kLowMemorySize]());
  return bytes.get();
}

}  // namespace

uint8_t* lowMemory() { return area(); }

void resetLowMemory() {
  std::memset(area(), 0, kLowMemorySize);
  area()[kKeyBufferHeadOffset] = 0x1E;
  area()[kKeyBufferTailOffset] = 0x1E;
}

void storeTimeOfDayTicks(uint32_t ticks) {
  uint8_t* at = area() + kTimeOfDayTicksOffset;
  for (int i = 0; i < 3; ++i) {
    std::atomic_ref<uint8_t>(at[i]).store(static_cast<uint8_t>(ticks >> (8 * i)),
                                         std::memory_order_relaxed);
  }
}

}  // namespace rt
