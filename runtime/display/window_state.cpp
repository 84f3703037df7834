#include "runtime/display/window_state.h"

namespace rt {

std::atomic<int32_t> fullScreenRequest{-1};
std::atomic<bool> windowExists{false};

WindowState& windowState() {
  static WindowState state;
  return state;
}

void recordClientSize(int32_t width, int32_t height) {
  WindowState& w = windowState();
  w.previousClientWidth = w.clientWidth;
  w.previousClientHeight = w.clientHeight;
  w.clientWidth = width;
  w.clientHeight = height;
  w.reshapePending = false;
  w.forceRedraw = true;
}

}  // namespace rt
