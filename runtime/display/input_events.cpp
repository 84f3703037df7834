// Input events from the window. The close box ends the program through closeRequested.
//
// Key translation to PC codes is still minimal: a character key is queued with its character
// code and no scan code, special keys are not queued. Pause and Break arrive through the
// window-message hook and are not acted on yet.
#include "runtime/display/input_events.h"

#include <GL/freeglut.h>

#include <atomic>

#include "runtime/core/key_queue.h"
#include "runtime/core/shared_flags.h"
#include "runtime/display/window_state.h"
#include "runtime/platform/window_hook.h"

namespace rt {
namespace {

std::atomic<int32_t> mouseX{0}, mouseY{0}, mouseButtons{0}, mouseWheel{0};

}  // namespace

void onAsciiKey(uint8_t character, bool down) {
  if (down) enqueueKey(character, character == 27 ? 1 : 0);
}

void onSpecialKey(int key, bool down) {
  (void)key;
  (void)down;
}

int onWindowMessage(int kind, int32_t a, int32_t b) {
  (void)a;
  (void)b;
  if (kind == static_cast<int>(WindowMessage::Close)) {
    closeRequested.fetch_or(1, std::memory_order_release);
    return 0;
  }
  if (kind == static_cast<int>(WindowMessage::Exposed)) {
    windowState().forceRedraw = true;  // the picture is drawn only when it changes otherwise
    return 0;
  }
  return -1;
}

MouseState mouseState() {
  return {mouseX.load(), mouseY.load(), mouseButtons.load(), mouseWheel.load()};
}

void onMouseButton(int button, int state, int x, int y) {
  onMouseMotion(x, y);
  if (button < 0 || button > 30) return;
  if (state == GLUT_DOWN) {
    mouseButtons.fetch_or(1 << button);
  } else {
    mouseButtons.fetch_and(~(1 << button));
  }
}

void onMouseMotion(int x, int y) {
  mouseX.store(x, std::memory_order_relaxed);
  mouseY.store(y, std::memory_order_relaxed);
}

void onMouseWheel(int wheel, int direction, int x, int y) {
  (void)wheel;
  onMouseMotion(x, y);
  mouseWheel.fetch_add(direction, std::memory_order_relaxed);
}

}  // namespace rt
