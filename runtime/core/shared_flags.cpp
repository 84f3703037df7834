#include "runtime/core/shared_flags.h"

#include "runtime/core/flag_wait.h"

namespace rt {

std::atomic<uint8_t> stopRequested{0};
std::atomic<uint8_t> exitInProgress{0};
std::atomic<uint32_t> closeRequested{0};
std::atomic<uint32_t> threadsFinished{0};
std::atomic<DisplaySuspension> displaySuspended{DisplaySuspension::None};
std::atomic<int32_t> autoDisplay{1};
std::atomic<uint32_t> frameCounter{0};
std::atomic<uint8_t> displayRunning{0};
std::atomic<uint32_t> presentPaused{0};
std::atomic<uint8_t> closeInterception{0};

void requestStop() {
  stopRequested.store(1, std::memory_order_release);
  wakeFlagWaiters();
}

void requestClose(uint32_t reason) {
  closeRequested.fetch_or(reason, std::memory_order_release);
  wakeFlagWaiters();
}

}  // namespace rt
