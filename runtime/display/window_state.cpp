#include "runtime/display/window_state.h"

namespace rt {

std::atomic<int32_t> fullScreenRequest{-1};
std::atomic<bool> windowExists{false};

WindowState& windowState() {
  static WindowState state;
  return state;
}

}  // namespace rt
