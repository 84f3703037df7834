// RuntimeLoopThread, TimerEventThread and the exit sequence.
#include "runtime/system/runtime_threads.h"

#include <atomic>

#include "runtime/core/clock.h"
#include "runtime/core/display_pause.h"
#include "runtime/core/errors.h"
#include "runtime/core/flag_wait.h"
#include "runtime/core/fp_signal.h"
#include "runtime/core/low_memory.h"
#include "runtime/core/shared_flags.h"
#include "runtime/display/frame_builder.h"
#include "runtime/display/key_events.h"
#include "runtime/files/file_open.h"
#include "runtime/platform/lock_keys.h"
#include "runtime/platform/process_exit.h"

namespace rt {
namespace {

// How often TimerEventThread looks for a floating-point fault of another thread. The faulted
// thread cannot wake it (a signal handler may not), so it polls, but slowly: a fault is rare,
// and its report a tenth of a second later changes nothing.
constexpr int32_t kFaultPollMs = 100;
// One pass of RuntimeLoopThread: a frame, the lock keys and the tick count every 32 ms. A
// close or stop request cuts the sleep short.
constexpr int32_t kPassMs = 32;

bool endRequested() {
  return closeRequested.load(std::memory_order_acquire) != 0 ||
         stopRequested.load(std::memory_order_acquire) != 0;
}

bool exitBegun() { return exitInProgress.load(std::memory_order_acquire) != 0; }

void storeTicks() { storeTimeOfDayTicks(timeOfDayTicks(timeBase(), millisecondClock())); }

// Caps Lock and Num Lock follow the window system's indicators; a change is recorded as a press
// or release of the key. Scroll Lock's state follows its own key presses (key_events.cpp).
void syncLockKeysWithSystem() { syncLockKeys(readLockKeys()); }

// Without automatic frames a pause request is still acknowledged, so that a screen rebuild
// never waits for a builder pass that will not come.
void buildFrameIfAutomatic() {
  if (autoDisplay.load(std::memory_order_relaxed) != 0) {
    buildSoftwareFrame();
  } else {
    acknowledgeFramePause();
  }
  frameCounter.fetch_add(1, std::memory_order_relaxed);
}

}  // namespace

void runtimeLoopThread() {
  for (;;) {
    if (closeRequested.load(std::memory_order_acquire) != 0) break;
    storeTicks();
    DisplaySuspension suspended = displaySuspended.load(std::memory_order_acquire);
    if (suspended == DisplaySuspension::LastFrameBuilt) {
      sleepMs(64);
      continue;
    }
    if (suspended == DisplaySuspension::CommandStarted) {
      // One last frame before a foreground command takes over. Only CommandStarted moves on:
      // the command may already have ended and cleared the flag, which must then stay None.
      DisplaySuspension started = DisplaySuspension::CommandStarted;
      if (!displaySuspended.compare_exchange_strong(started, DisplaySuspension::LastFrameBuilt,
                                                    std::memory_order_acq_rel)) {
        continue;
      }
      buildFrameIfAutomatic();
      continue;
    }
    if (sleepUntilFlag(kPassMs, endRequested)) break;
    buildFrameIfAutomatic();
    if (displaySuspended.load(std::memory_order_relaxed) == DisplaySuspension::None) {
      syncLockKeysWithSystem();
    }
  }
  exitProcessInOrder();
}

void exitProcessInOrder() {
  exitInProgress.store(1, std::memory_order_release);
  requestCheckpoint();  // also wakes TimerEventThread
  while (threadsFinished.load(std::memory_order_acquire) != kAllThreadsFinished) {
    reportFloatingPointFault();  // a faulted ProgramThread never parks
    sleepMs(16);
  }
  closeAllFiles();
  endProcess(0);
}

void timerEventThread() {
  // Timed events would be checked every millisecond. This system registers none, so the thread
  // only reports a floating-point fault of another thread and sleeps until exit begins: a
  // thousand idle wake-ups a second would cost more than the rest of an idle process.
  while (!exitBegun()) {
    reportFloatingPointFault();
    sleepUntilFlag(kFaultPollMs, exitBegun);
  }
  threadsFinished.fetch_or(kTimerEventsEnded, std::memory_order_release);
}

}  // namespace rt
