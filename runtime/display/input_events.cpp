// Window messages and mouse state, shared by the platforms' windows.
#include "runtime/display/input_events.h"

#include <atomic>

#include "runtime/core/key_codes.h"
#include "runtime/core/shared_flags.h"
#include "runtime/display/key_events.h"
#include "runtime/display/window_state.h"
#include "runtime/platform/window_hook.h"

namespace rt {
namespace {

std::atomic<int32_t> mouseX{0}, mouseY{0}, mouseButtons{0}, mouseWheel{0};

void deliverKey(int32_t code, bool down) {
  if (down) {
    keyPressed(code);
  } else {
    keyReleased(code);
  }
}

// The runtime key code of a key that only the window-message hook reports.
int32_t unreportedKeyCode(UnreportedKey key) {
  switch (key) {
    case UnreportedKey::Pause: return kPauseKey;
    case UnreportedKey::Break: return kBreakKey;
    case UnreportedKey::ScrollLock: return kScrollLockKey;
    case UnreportedKey::ShiftTab: return kTabKey;
  }
  return 0;
}

}  // namespace

int onWindowMessage(int kind, int32_t a, int32_t b) {
  switch (static_cast<WindowMessage>(kind)) {
    case WindowMessage::Close:
      requestClose(kCloseBoxUsed);
      return 0;
    case WindowMessage::Key:
      if (int32_t code = unreportedKeyCode(static_cast<UnreportedKey>(a)); code != 0) deliverKey(code, b > 0);
      return 0;
    case WindowMessage::Exposed:
      windowState().forceRedraw = true;  // the picture is drawn only when it changes otherwise
      return 0;
    case WindowMessage::Wake:
      return -1;  // the platform's window runs its presenter pass
  }
  return -1;
}

MouseState mouseState() {
  return {mouseX.load(std::memory_order_relaxed), mouseY.load(std::memory_order_relaxed),
          mouseButtons.load(std::memory_order_relaxed),
          mouseWheel.load(std::memory_order_relaxed)};
}

void onMouseButton(int button, bool down, int x, int y) {
  onMouseMotion(x, y);
  if (button < 0 || button > 30) return;
  if (down) {
    mouseButtons.fetch_or(1 << button, std::memory_order_relaxed);
  } else {
    mouseButtons.fetch_and(~(1 << button), std::memory_order_relaxed);
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
