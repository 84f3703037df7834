// The stop flag and the interruptible sleep shared by both platforms.
#include "feed/stop_signal.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace feed {
namespace {

std::atomic<bool> stopFlag{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the stop flag is set from a signal handler");

}  // namespace

bool stopRequested() { return stopFlag.load(std::memory_order_relaxed); }

void requestStop() { stopFlag.store(true, std::memory_order_relaxed); }

void sleepUnlessStopped(int delayMs) {
  // Short slices: a stop ends the sleep within 50 ms without any wake-up machinery.
  constexpr int sliceMs = 50;
  for (int slept = 0; slept < delayMs && !stopRequested(); slept += sliceMs) {
    std::this_thread::sleep_for(
        std::chrono::milliseconds(delayMs - slept < sliceMs ? delayMs - slept : sliceMs));
  }
}

}  // namespace feed
