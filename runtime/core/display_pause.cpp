#include "runtime/core/display_pause.h"

#include "runtime/core/clock.h"
#include "runtime/core/program_park.h"
#include "runtime/core/shared_flags.h"

namespace rt {

std::atomic<DisplayPause> displayPause{DisplayPause::Running};
std::atomic<int32_t> previousFrameValid{0};
std::atomic<int32_t> forceFrameRebuild{0};

void pauseFrameBuilder() {
  DisplayPause expected = DisplayPause::Running;
  displayPause.compare_exchange_strong(expected, DisplayPause::Requested, std::memory_order_acq_rel);
  // Pairs with the builder's release in acknowledgeFramePause.
  while (displayPause.load(std::memory_order_acquire) != DisplayPause::Acknowledged) {
    // RuntimeLoopThread leaves its loop for good on a close or stop request and then waits
    // for this thread to park: no acknowledgement will come. Pairs with the release store of
    // exitInProgress in the exit sequence.
    if (exitInProgress.load(std::memory_order_acquire) != 0) parkProgramThread();
    sleepMs(0);
  }
}

void resumeFrameBuilder() { displayPause.store(DisplayPause::Running, std::memory_order_release); }

bool acknowledgeFramePause() {
  DisplayPause requested = DisplayPause::Requested;
  return displayPause.compare_exchange_strong(requested, DisplayPause::Acknowledged,
                                              std::memory_order_acq_rel);
}

}  // namespace rt
