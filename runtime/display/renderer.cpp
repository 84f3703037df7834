#include "runtime/display/renderer.h"

#include <GL/glew.h>
#include <GL/freeglut.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "runtime/core/clock.h"
#include "runtime/core/shared_flags.h"
#include "runtime/display/frame_builder.h"
#include "runtime/display/frame_ring.h"
#include "runtime/display/gl_draw.h"
#include "runtime/display/texture_image.h"
#include "runtime/display/window_state.h"
#include "runtime/display/window_title.h"
#include "runtime/platform/message_box.h"

namespace rt {
namespace {

bool rendering = false;             // re-entry guard
uint64_t lastRenderedOrder = 0;
int32_t softwareFrameImage = 0;     // texture handle of the Showing frame
int32_t barImage = 0;               // 1 x 1 black texture for the bars

// Keeps the window at the frame's size (stretch mode: at the frame's aspect ratio).
void followFrameSize(const DisplayFrame& frame) {
  WindowState& w = windowState();
  bool frameSizeChanged = frame.width != w.drawnFrameWidth || frame.height != w.drawnFrameHeight;
  w.drawnFrameWidth = frame.width;
  w.drawnFrameHeight = frame.height;
  if (w.fullScreenMode != 0 || fullScreenRequest.load(std::memory_order_relaxed) != -1) return;
  double windowRatio = w.clientHeight > 0 ? static_cast<double>(w.clientWidth) / w.clientHeight : 0;
  double frameRatio = frame.height > 0 ? static_cast<double>(frame.width) / frame.height : 0;
  if (w.resizeStretchMode != 0 && windowRatio != w.rememberedRatio && windowRatio != frameRatio) {
    int32_t width = w.clientWidth, height = w.clientHeight;
    int32_t dw = std::abs(w.clientWidth - w.previousClientWidth);
    int32_t dh = std::abs(w.clientHeight - w.previousClientHeight);
    if (dh == 0 || (dw != 0 && dw >= dh)) {
      height = static_cast<int32_t>(width / frameRatio);
    } else {
      width = static_cast<int32_t>(height * frameRatio);
    }
    w.rememberedRatio = frameRatio;
    glutReshapeWindow(width, height);
    glutPostRedisplay();
    w.reshapePending = true;
  } else if ((w.clientWidth != frame.width || w.clientHeight != frame.height) &&
             (w.resizeLocked == 1 || frameSizeChanged)) {
    glutReshapeWindow(frame.width, frame.height);
    glutPostRedisplay();
    w.reshapePending = true;
  }
}

void applyFullScreenRequest(const DisplayFrame& frame) {
  WindowState& w = windowState();
  int32_t request = fullScreenRequest.load(std::memory_order_relaxed);
  if (w.reshapePending || request == -1) return;
  if (request == 1 || request == 2) {
    if (w.fullScreenMode == 0) glutFullScreen();
    w.fullScreenMode = request;
  } else if (request == 0 && w.fullScreenMode != 0) {
    glutLeaveFullScreen();
    glutReshapeWindow(frame.width, frame.height);
    glutPostRedisplay();
    w.fullScreenMode = 0;
  }
  fullScreenRequest.store(-1, std::memory_order_relaxed);
}

void drawSoftwareFrame(const DisplayFrame& frame, bool newFrame, bool blend) {
  if (newFrame || softwareFrameImage == 0) {
    deleteTextureImage(softwareFrameImage);
    softwareFrameImage = createTextureImage(frame.width, frame.height, frame.pixels, 0);
  }
  if (softwareFrameImage == 0) {
    showMessageBox("Error", "Invalid software_screen_hardware_frame!!", MessageBoxButtons::Ok);
    return;
  }
  const TextureImage* image = textureImage(softwareFrameImage);
  if (image == nullptr) {
    showMessageBox("Error", "Invalid software_screen_hardware_frame!", MessageBoxButtons::Ok);
    return;
  }
  drawTexturedRect(0, 0, frame.width - 1, frame.height - 1, *image, 0, 0, 0, image->width - 1,
                   image->height - 1, blend, windowState().mapping.smooth);
}

void drawBars() {
  const WindowState& w = windowState();
  const ViewMapping& m = w.mapping;
  if (m.bars == BarMode::None) return;
  if (barImage == 0) {
    const uint32_t black = 0xFF000000u;
    barImage = createTextureImage(1, 1, &black, 0);
  }
  const TextureImage* image = textureImage(barImage);
  if (image == nullptr) return;
  if (m.bars == BarMode::LeftRight) {
    if (m.left > 0) drawWindowRect(0, 0, m.left - 1, w.clientHeight - 1, *image);
    if (m.right + 1 < w.clientWidth) drawWindowRect(m.right + 1, 0, w.clientWidth - 1, w.clientHeight - 1, *image);
  } else {
    if (m.top > 0) drawWindowRect(0, 0, w.clientWidth - 1, m.top - 1, *image);
    if (m.bottom + 1 < w.clientHeight) drawWindowRect(0, m.bottom + 1, w.clientWidth - 1, w.clientHeight - 1, *image);
  }
}

void drawLayers(const DisplayFrame& frame, bool newFrame) {
  for (int32_t position = 0; position <= 5; ++position) {
    if (position == 0) {
      setRenderMode(1);
      glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    } else if (position == displayOrder.softwareScreen) {
      drawSoftwareFrame(frame, newFrame, displayOrder.softwareScreen != 1);
    } else if (position == 5) {
      drawBars();
    }
    // The hardware-image and OpenGL layers replay their command lists here; this system
    // records no commands into them.
  }
  flushDrawBatch();
}

}  // namespace

void renderDisplay() {
  if (rendering) return;
  rendering = true;
  RenderTake take = frameRing().take();
  WindowState& w = windowState();
  uint64_t built = frameRing().lastBuiltOrder();
  bool draw = take.showing != nullptr &&
              (built != lastRenderedOrder || take.newFrame ||
               fullScreenRequest.load(std::memory_order_relaxed) != -1 || w.forceRedraw);
  if (!draw) {
    rendering = false;
    return;
  }
  const DisplayFrame& frame = *take.showing;
  followFrameSize(frame);
  applyFullScreenRequest(frame);
  w.mapping = computeViewMapping({w.clientWidth, w.clientHeight, frame.width, frame.height,
                                  w.fullScreenMode, w.fullScreenSmooth, w.resizeStretchMode});
  w.forceRedraw = false;
  drawLayers(frame, take.newFrame);
  lastRenderedOrder = built;
  if ((presentPaused.load(std::memory_order_relaxed) & 1) == 0) glutSwapBuffers();
  rendering = false;
}

void redisplayTick(int) {
  applyPendingWindowTitle();
  glutPostRedisplay();
  sleepMs(4);
  int interval = static_cast<int>(1000 / 60.0) - 4;
  glutTimerFunc(static_cast<unsigned>(interval > 0 ? interval : 1), redisplayTick, 0);
}

void onWindowReshape(int width, int height) {
  WindowState& w = windowState();
  w.lastResizeWidth = width;
  w.lastResizeHeight = height;
  w.resizedMarker = -1;
  w.previousClientWidth = w.clientWidth;
  w.previousClientHeight = w.clientHeight;
  w.clientWidth = width;
  w.clientHeight = height;
  w.reshapePending = false;
  w.forceRedraw = true;
  setRenderMode(0);
}

}  // namespace rt
