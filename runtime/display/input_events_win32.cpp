// Key and mouse messages of the Win32 window, reduced to what the runtime takes.
//
// Keys: a key without a character (function keys, the cursor block, Insert, Delete, the
// modifiers) and Backspace, Tab, Enter and Escape are taken from their key messages by
// virtual-key number (virtualKeyCode), and the message loop does not translate them into
// characters. Every other key is taken from the character that TranslateMessage makes of it
// (WM_CHAR, or WM_SYSCHAR with Alt), with the Ctrl and Shift states of that message, as the
// freeglut window takes its character callback (asciiKeyCode); its release gives the code its
// press gave. Pause, Break (Ctrl+Pause, which arrives as VK_CANCEL) and Scroll Lock are reported
// as the X11 window-message hook reports them. Caps Lock and Num Lock are not taken here: the
// lock-key sync reads their states.
//
// System keys stay keys: Alt and F10 do not open the menu bar, and Alt with a character types
// it, as in the freeglut window. Alt+F4 still closes the window (a close request).
//
// Mouse: buttons, motion and wheel steps in client coordinates, recorded as input_events.h does.
#include <windowsx.h>

#include <array>

#include "runtime/core/key_codes.h"
#include "runtime/display/input_events.h"
#include "runtime/display/key_events.h"
#include "runtime/display/key_translation.h"
#include "runtime/display/window_win32.h"
#include "runtime/platform/window_hook.h"

namespace rt {
namespace {

constexpr int32_t kNoCharacter = -1;

// The code each character key's last press delivered, by virtual key, for its release.
std::array<int32_t, 256> typedCode = [] {
  std::array<int32_t, 256> codes{};
  codes.fill(kNoCharacter);
  return codes;
}();
// The character key whose characters TranslateMessage is making (the last one pressed).
uint32_t characterKey = 0;
// What the Pause key's press reported (Pause or Break), so that its release matches.
UnreportedKey pauseKeyReport = UnreportedKey::Pause;
// Wheel rotation not yet a whole step (WHEEL_DELTA).
int wheelRemainder = 0;

bool keyDown(int virtualKey) { return (GetKeyState(virtualKey) & 0x8000) != 0; }

void deliverKey(int32_t code, bool down) {
  if (down) {
    keyPressed(code);
  } else {
    keyReleased(code);
  }
}

void reportUnreportedKey(UnreportedKey key, bool down) {
  onWindowMessage(static_cast<int>(WindowMessage::Key), static_cast<int32_t>(key), down ? 1 : -1);
}

struct KeyMessage {
  uint32_t virtualKey;
  uint32_t scanCode;
  bool extended;
};

KeyMessage keyMessage(WPARAM wParam, LPARAM lParam) {
  return {static_cast<uint32_t>(wParam & 0xFF), static_cast<uint32_t>((lParam >> 16) & 0xFF),
          ((lParam >> 24) & 1) != 0};
}

// The keys that are reported as window messages, as the X11 hook reports them.
bool isHookKey(uint32_t virtualKey) {
  return virtualKey == VK_PAUSE || virtualKey == VK_CANCEL || virtualKey == VK_SCROLL;
}

void onKey(const KeyMessage& key, bool down) {
  if (key.virtualKey == VK_PAUSE || key.virtualKey == VK_CANCEL) {
    if (down) {
      bool isBreak = key.virtualKey == VK_CANCEL || keyDown(VK_CONTROL);
      pauseKeyReport = isBreak ? UnreportedKey::Break : UnreportedKey::Pause;
    }
    reportUnreportedKey(pauseKeyReport, down);
    return;
  }
  if (key.virtualKey == VK_SCROLL) {
    reportUnreportedKey(UnreportedKey::ScrollLock, down);
    return;
  }
  if (int32_t code = virtualKeyCode(key.virtualKey, key.scanCode, key.extended); code != 0) {
    deliverKey(code, down);
    return;
  }
  if (down) {
    characterKey = key.virtualKey;  // its characters follow as WM_CHAR / WM_SYSCHAR
  } else if (typedCode[key.virtualKey] != kNoCharacter) {
    keyReleased(typedCode[key.virtualKey]);
    typedCode[key.virtualKey] = kNoCharacter;
  }
}

void onCharacter(WPARAM character) {
  int32_t code = asciiKeyCode(static_cast<uint8_t>(character), keyDown(VK_CONTROL), keyDown(VK_SHIFT));
  keyPressed(code);
  typedCode[characterKey] = code;
}

void onMouseButtonMessage(HWND window, int button, bool down, LPARAM lParam) {
  // Held buttons keep reporting motion outside the window, as freeglut's motion callback does.
  if (down) {
    SetCapture(window);
  } else if ((mouseState().buttons & ~(1 << button)) == 0) {
    ReleaseCapture();
  }
  onMouseButton(button, down, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
}

void onWheel(HWND window, WPARAM wParam, LPARAM lParam) {
  POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};  // screen coordinates
  ScreenToClient(window, &at);
  wheelRemainder += GET_WHEEL_DELTA_WPARAM(wParam);
  while (wheelRemainder >= WHEEL_DELTA) {
    wheelRemainder -= WHEEL_DELTA;
    onMouseWheel(0, 1, at.x, at.y);
  }
  while (wheelRemainder <= -WHEEL_DELTA) {
    wheelRemainder += WHEEL_DELTA;
    onMouseWheel(0, -1, at.x, at.y);
  }
}

}  // namespace

bool translatesToCharacters(const MSG& message) {
  if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN) return false;
  KeyMessage key = keyMessage(message.wParam, message.lParam);
  return !isHookKey(key.virtualKey) && virtualKeyCode(key.virtualKey, key.scanCode, key.extended) == 0;
}

bool onInputMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_KEYDOWN:
    case WM_KEYUP:
      onKey(keyMessage(wParam, lParam), message == WM_KEYDOWN);
      return true;
    case WM_SYSKEYDOWN:
      onKey(keyMessage(wParam, lParam), true);
      return wParam != VK_F4;  // Alt+F4: DefWindowProcA turns it into the close request
    case WM_SYSKEYUP:
      onKey(keyMessage(wParam, lParam), false);
      return true;  // not to DefWindowProcA, which would open the menu bar on Alt or F10
    case WM_CHAR:
    case WM_SYSCHAR:
      onCharacter(wParam);
      return true;
    case WM_LBUTTONDOWN: onMouseButtonMessage(window, 0, true, lParam); return true;
    case WM_LBUTTONUP: onMouseButtonMessage(window, 0, false, lParam); return true;
    case WM_MBUTTONDOWN: onMouseButtonMessage(window, 1, true, lParam); return true;
    case WM_MBUTTONUP: onMouseButtonMessage(window, 1, false, lParam); return true;
    case WM_RBUTTONDOWN: onMouseButtonMessage(window, 2, true, lParam); return true;
    case WM_RBUTTONUP: onMouseButtonMessage(window, 2, false, lParam); return true;
    case WM_MOUSEMOVE:
      onMouseMotion(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return true;
    case WM_MOUSEWHEEL:
      onWheel(window, wParam, lParam);
      return true;
    default:
      return false;
  }
}

}  // namespace rt
