// The window's geometry and presentation flags, shared by the renderer, the reshape callback
// and the key handlers (all on DisplayThread unless noted).
#pragma once

#include <atomic>
#include <cstdint>

#include "runtime/display/view_mapping.h"

namespace rt {

struct WindowState {
  int32_t clientWidth = 640, clientHeight = 400;  // as last reported by the window
  int32_t previousClientWidth = 0, previousClientHeight = 0;
  int32_t drawnFrameWidth = 0, drawnFrameHeight = 0;   // frame size drawn last time
  double rememberedRatio = 0;                          // aspect ratio kept by stretch mode
  ViewMapping mapping;
  bool reshapePending = false;
  bool forceRedraw = false;
  int32_t resizeLocked = 1;
  int32_t resizeStretchMode = 0;
  std::atomic<int32_t> fullScreenMode{0};  // read by the program thread around shell commands
  bool fullScreenSmooth = false;
};

WindowState& windowState();

// Records the client area's size as the window reports it after a change; the next draw covers
// the whole area. DisplayThread.
void recordClientSize(int32_t width, int32_t height);

// -1 when no full-screen change is pending, else the requested mode 0, 1 or 2. Set by the
// Alt+Enter handler, consumed by the renderer.
extern std::atomic<int32_t> fullScreenRequest;

// Carries out a pending full-screen request on DisplayThread with the presenter's own calls:
// `enterFullScreen()` from a window, `leaveFullScreen()` back to it. Waits while a reshape is
// pending; a request for the mode already shown only records it.
template <typename Enter, typename Leave>
void applyFullScreenRequest(Enter enterFullScreen, Leave leaveFullScreen) {
  WindowState& w = windowState();
  int32_t request = fullScreenRequest.load(std::memory_order_relaxed);
  if (w.reshapePending || request == -1) return;
  if (request == 1 || request == 2) {
    if (w.fullScreenMode == 0) enterFullScreen();
    w.fullScreenMode = request;
  } else if (request == 0 && w.fullScreenMode != 0) {
    leaveFullScreen();
    w.fullScreenMode = 0;
  }
  fullScreenRequest.store(-1, std::memory_order_relaxed);
}

// Set once the window exists (under the title lock, see window_title.h).
extern std::atomic<bool> windowExists;

}  // namespace rt
