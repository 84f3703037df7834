#include <atomic>

#include "runtime/core/clock.h"
#include "runtime/core/errors.h"
#include "runtime/core/low_memory.h"
#include "runtime/system/runtime_threads.h"
#include "runtime/core/shared_flags.h"
#include "runtime/display/frame_builder.h"
#include "runtime/display/key_events.h"
#include "runtime/files/file_open.h"
#include "runtime/platform/lock_keys.h"
#include "runtime/platform/process_exit.h"

namespace rt {
namespace {

// Vertical-retrace flags for the legacy display-status port (never read by this system).
std::atomic<int32_t> retraceFlag{0};
std::atomic<int32_t> retraceInProgress{0};

void storeTicks() { storeTimeOfDayTicks(timeOfDayTicks(timeBase(), millisecondClock())); }

// Caps Lock and Num Lock follow the window system's indicators; a change is recorded as a press
// or release of the key. Scroll Lock's state follows its own key presses (key_events.cpp).
void syncLockKeysWithSystem() { syncLockKeys(readLockKeys()); }

void buildFrameIfAutomatic() {
  if (autoDisplay.load(std::memory_order_relaxed) != 0) buildSoftwareFrame();
  frameCounter.fetch_add(1, std::memory_order_relaxed);
}

}  // namespace

void runtimeLoopThread() {
  int parity = 0;
  for (;;) {
    if (closeRequested.load(std::memory_order_acquire) != 0) break;
    storeTicks();
    int32_t suspended = displaySuspended.load(std::memory_order_acquire);
    if (suspended == -1) {
      sleepMs(64);
      continue;
    }
    if (suspended != 0) {
      // One last frame before a foreground command takes over. Only a 1 becomes -1: the
      // command may already have ended and cleared the flag, which must then stay 0.
      int32_t started = 1;
      if (!displaySuspended.compare_exchange_strong(started, -1, std::memory_order_acq_rel)) continue;
      buildFrameIfAutomatic();
      retraceInProgress.store(0, std::memory_order_relaxed);
      continue;
    }
    sleepMs(15);
    retraceFlag.store(1, std::memory_order_relaxed);
    retraceInProgress.store(1, std::memory_order_relaxed);
    sleepMs(1);
    if (stopRequested.load(std::memory_order_acquire) != 0) break;
    parity ^= 1;
    if (parity == 1) buildFrameIfAutomatic();
    retraceInProgress.store(0, std::memory_order_relaxed);
    if (parity == 0 && displaySuspended.load(std::memory_order_relaxed) == 0) syncLockKeysWithSystem();
  }
  exitProcessInOrder();
}

void exitProcessInOrder() {
  exitInProgress.store(1, std::memory_order_release);
  checkpointPending.store(1, std::memory_order_release);
  while (threadsFinished.load(std::memory_order_acquire) != 3) sleepMs(16);
  closeAllFiles();
  endProcess(0);
}

void timerEventThread() {
  // Timed events would be checked every millisecond. This system registers none, so the thread
  // only waits for exit, at the exit sequence's own 16 ms pace: a thousand idle wake-ups a
  // second would cost more than the rest of an idle process.
  while (exitInProgress.load(std::memory_order_acquire) == 0) sleepMs(16);
  threadsFinished.fetch_or(2, std::memory_order_release);
}

}  // namespace rt
