#include "runtime/core/shared_flags.h"

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

}  // namespace rt
