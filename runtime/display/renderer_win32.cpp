// The presenter of the Win32 window: the newest frame of the FrameRing, shown with GDI.
//
// presentTick runs when another thread asks for a presenter pass (wakePresenter). It takes the
// newest Ready frame from the FrameRing and draws only when there is something new to show: a
// new frame, a reshape, an expose (WM_PAINT, which draws at once) or a full-screen change, so an
// idle screen costs nothing. Drawing keeps the client area at the frame's size and copies the
// frame's 32-bit pixels (bytes B, G, R, A: a top-down BI_RGB DIB) with StretchDIBits, one window
// pixel per frame pixel when the window is not in full screen, so the picture is the frame's
// exactly. Whatever the picture leaves uncovered is black, as the OpenGL renderer clears it.
#include <atomic>
#include <cstdint>

#include "runtime/core/shared_flags.h"
#include "runtime/display/frame_ring.h"
#include "runtime/display/view_mapping.h"
#include "runtime/display/window_state.h"
#include "runtime/display/window_title.h"
#include "runtime/display/window_win32.h"

namespace rt {
namespace {

bool rendering = false;  // re-entry guard: resizing the window sends messages
uint64_t lastRenderedOrder = 0;

// Keeps the client area at the frame's size. The window has no sizing border, so only a new
// frame size or a menu bar that was attached or changed makes the two differ.
void followFrameSize(const DisplayFrame& frame) {
  WindowState& w = windowState();
  bool frameSizeChanged = frame.width != w.drawnFrameWidth || frame.height != w.drawnFrameHeight;
  w.drawnFrameWidth = frame.width;
  w.drawnFrameHeight = frame.height;
  if (w.fullScreenMode != 0 || fullScreenRequest.load(std::memory_order_relaxed) != -1) return;
  if ((w.clientWidth != frame.width || w.clientHeight != frame.height) &&
      (w.resizeLocked == 1 || frameSizeChanged)) {
    setClientSize(frame.width, frame.height);  // WM_SIZE arrives before this returns
  }
}

void fillBlack(HDC dc, LONG left, LONG top, LONG right, LONG bottom) {
  if (left >= right || top >= bottom) return;
  RECT rect{left, top, right, bottom};
  FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}

// Copies the frame to the mapping's output rectangle and blackens the rest of the client area.
void drawFrame(HDC dc, const DisplayFrame& frame, const ViewMapping& m) {
  const WindowState& w = windowState();
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = frame.width;
  info.bmiHeader.biHeight = -frame.height;  // top-down: the first row is the top row
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  const int outWidth = m.right - m.left + 1, outHeight = m.bottom - m.top + 1;
  if (m.smooth) {
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
  } else {
    SetStretchBltMode(dc, COLORONCOLOR);  // nearest pixel, as unsmoothed OpenGL scaling
  }
  StretchDIBits(dc, m.left, m.top, outWidth, outHeight, 0, 0, frame.width, frame.height,
                frame.pixels, &info, DIB_RGB_COLORS, SRCCOPY);
  fillBlack(dc, 0, 0, w.clientWidth, m.top);
  fillBlack(dc, 0, m.bottom + 1, w.clientWidth, w.clientHeight);
  fillBlack(dc, 0, m.top, m.left, m.bottom + 1);
  fillBlack(dc, m.right + 1, m.top, w.clientWidth, m.bottom + 1);
}

// Draws when there is something new to show (see the overview), or after an expose (`exposed`),
// into the window's device context, fetched only then: under Wine each fetch costs calls to its
// server. An exposed window with no frame yet is painted black.
void present(bool exposed) {
  if (rendering) return;
  rendering = true;
  RenderTake take = frameRing().take();
  WindowState& w = windowState();
  uint64_t built = frameRing().lastBuiltOrder();
  bool draw = take.showing != nullptr &&
              (built != lastRenderedOrder || take.newFrame ||
               fullScreenRequest.load(std::memory_order_relaxed) != -1 || w.forceRedraw);
  HWND window = programWindow();
  if (!draw) {
    if (exposed && take.showing == nullptr) {
      HDC dc = GetDC(window);
      fillBlack(dc, 0, 0, w.clientWidth, w.clientHeight);
      ReleaseDC(window, dc);
    }
    rendering = false;
    return;
  }
  const DisplayFrame& frame = *take.showing;
  followFrameSize(frame);
  applyFullScreenRequest([] { enterFullScreen(); },
                         [&frame] { leaveFullScreen(frame.width, frame.height); });
  w.mapping = computeViewMapping({w.clientWidth, w.clientHeight, frame.width, frame.height,
                                  w.fullScreenMode, w.fullScreenSmooth, w.resizeStretchMode});
  w.forceRedraw = false;
  // While the runtime is paused the window keeps showing what it showed.
  if ((presentPaused.load(std::memory_order_relaxed) & 1) == 0) {
    HDC dc = GetDC(window);
    drawFrame(dc, frame, w.mapping);
    ReleaseDC(window, dc);
  }
  lastRenderedOrder = built;
  rendering = false;
}

}  // namespace

void presentTick() {
  applyPendingWindowTitle();
  present(false);
}

void presentExposed() { present(true); }

}  // namespace rt
