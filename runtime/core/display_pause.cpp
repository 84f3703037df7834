#include "runtime/core/display_pause.h"

#include "runtime/core/clock.h"

namespace rt {

std::atomic<int32_t> displayPause{0};
std::atomic<int32_t> previousFrameValid{0};
std::atomic<int32_t> forceFrameRebuild{0};

void pauseFrameBuilder() {
  int32_t expected = 0;
  displayPause.compare_exchange_strong(expected, 1, std::memory_order_acq_rel);
  while (displayPause.load(std::memory_order_acquire) != 2) sleepMs(0);
}

void resumeFrameBuilder() { displayPause.store(0, std::memory_order_release); }

}  // namespace rt
