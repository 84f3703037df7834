#include "runtime/display/renderer.h"

#include <GL/glew.h>
#include <GL/freeglut.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "runtime/core/shared_flags.h"
#include "runtime/display/frame_builder.h"
#include "runtime/display/frame_ring.h"
#include "runtime/display/gl_draw.h"
#include "runtime/display/menu_bar.h"
#include "runtime/display/texture_image.h"
#include "runtime/display/window_state.h"
#include "runtime/display/window_title.h"
#include "runtime/platform/message_box.h"
#include "runtime/screen/glyph_tables.h"

namespace rt {
namespace {

bool rendering = false;             // re-entry guard
uint64_t lastRenderedOrder = 0;
int32_t softwareFrameImage = 0;     // texture handle of the Showing frame
int32_t barImage = 0;               // 1 x 1 black texture for the bars
int32_t stripImage = 0;             // the menu strip as last drawn
uint64_t stripVersion = 0;          // menu state the strip image shows
int32_t stripWidth = 0;

constexpr uint32_t kStripBackground = 0xFFF0F0F0u;
constexpr uint32_t kStripText = 0xFF000000u;
constexpr uint32_t kStripHighlight = 0xFF3399FFu;
constexpr uint32_t kStripHighlightText = 0xFFFFFFFFu;

// Paints the menu strip: captions in the 8 x 16 font, a highlighted item inverted.
std::vector<uint32_t> paintStrip(const MenuStrip& strip, int32_t width) {
  const int32_t height = kMenuStripHeight;
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height, kStripBackground);
  for (size_t i = 0; i < strip.captions.size(); ++i) {
    MenuItemSpan span = menuItemSpan(strip, i);
    bool lit = strip.highlighted[i];
    uint32_t back = lit ? kStripHighlight : kStripBackground;
    uint32_t fore = lit ? kStripHighlightText : kStripText;
    for (int32_t y = 0; y < height; ++y) {
      for (int32_t x = std::max(span.left, 0); x <= span.right && x < width; ++x) {
        pixels[static_cast<size_t>(y) * width + x] = back;
      }
    }
    int32_t textLeft = span.left + 8, textTop = (height - 16) / 2;
    const std::string& caption = strip.captions[i];
    for (size_t c = 0; c < caption.size(); ++c) {
      const uint8_t* glyph = fontGlyphs8x16() + static_cast<uint8_t>(caption[c]) * 128;
      for (int32_t y = 0; y < 16; ++y) {
        for (int32_t x = 0; x < 8; ++x) {
          int32_t px = textLeft + static_cast<int32_t>(c) * 8 + x;
          if (glyph[y * 8 + x] != 0 && px < width) {
            pixels[static_cast<size_t>(textTop + y) * width + px] = fore;
          }
        }
      }
    }
  }
  return pixels;
}

void drawMenuStrip() {
  const WindowState& w = windowState();
  if (menuStripHeight() == 0) return;
  MenuStrip strip = attachedMenuStrip();
  if (stripImage == 0 || strip.version != stripVersion || w.clientWidth != stripWidth) {
    deleteTextureImage(stripImage);
    std::vector<uint32_t> pixels = paintStrip(strip, w.clientWidth);
    stripImage = createTextureImage(w.clientWidth, kMenuStripHeight, pixels.data(), 0);
    stripVersion = strip.version;
    stripWidth = w.clientWidth;
  }
  if (const TextureImage* image = textureImage(stripImage)) {
    drawWindowRect(0, 0, w.clientWidth - 1, kMenuStripHeight - 1, *image);
  }
}

bool stripChanged() {
  return menuStripHeight() != 0 && menuStripVersion() != stripVersion;
}

// Keeps the window at the frame's size (stretch mode: at the frame's aspect ratio).
void followFrameSize(const DisplayFrame& frame) {
  WindowState& w = windowState();
  const int32_t strip = menuStripHeight();
  bool frameSizeChanged = frame.width != w.drawnFrameWidth || frame.height + strip != w.drawnFrameHeight;
  w.drawnFrameWidth = frame.width;
  w.drawnFrameHeight = frame.height + strip;
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
  } else if ((w.clientWidth != frame.width || w.clientHeight != frame.height + strip) &&
             (w.resizeLocked == 1 || frameSizeChanged)) {
    glutReshapeWindow(frame.width, frame.height + strip);
    glutPostRedisplay();
    w.reshapePending = true;
  }
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
  drawMenuStrip();
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
               fullScreenRequest.load(std::memory_order_relaxed) != -1 || w.forceRedraw ||
               stripChanged());
  if (!draw) {
    rendering = false;
    return;
  }
  const DisplayFrame& frame = *take.showing;
  followFrameSize(frame);
  applyFullScreenRequest([] { glutFullScreen(); },
                         [&frame] {
                           glutLeaveFullScreen();
                           glutReshapeWindow(frame.width, frame.height + menuStripHeight());
                           glutPostRedisplay();
                         });
  // The picture fills the client area below the menu strip.
  const int32_t strip = menuStripHeight();
  w.mapping = computeViewMapping({w.clientWidth, w.clientHeight - strip, frame.width, frame.height,
                                  w.fullScreenMode, w.fullScreenSmooth, w.resizeStretchMode});
  w.mapping.top += strip;
  w.mapping.bottom += strip;
  w.forceRedraw = false;
  drawLayers(frame, take.newFrame);
  lastRenderedOrder = built;
  if ((presentPaused.load(std::memory_order_relaxed) & 1) == 0) glutSwapBuffers();
  rendering = false;
}

void redisplayTick(int) {
  applyPendingWindowTitle();
  glutPostRedisplay();
}

void onWindowReshape(int width, int height) {
  recordClientSize(width, height);
  setRenderMode(0);
}

}  // namespace rt
