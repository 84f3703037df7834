#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include "runtime/platform/lock_keys.h"

namespace rt {
namespace {

Display* privateConnection() {
  static Display* display = XOpenDisplay(nullptr);
  return display;
}

bool indicatorOn(Display* display, const char* name) {
  Atom atom = XInternAtom(display, name, True);
  if (atom == None) return false;
  Bool on = False;
  if (!XkbGetNamedIndicator(display, atom, nullptr, &on, nullptr, nullptr)) return false;
  return on == True;
}

// True when a key carrying `symbol` is down in the 256-bit key map.
bool keyDown(Display* display, const char (&keys)[32], KeySym symbol) {
  KeyCode code = XKeysymToKeycode(display, symbol);
  return code != 0 && (keys[code / 8] & (1 << (code % 8))) != 0;
}

}  // namespace

LockKeyState readLockKeys() {
  LockKeyState state;
  Display* display = privateConnection();
  if (display == nullptr) return state;
  state.valid = true;
  state.capsLock = indicatorOn(display, "Caps Lock");
  state.numLock = indicatorOn(display, "Num Lock");
  return state;
}

KeysDown readKeysDown() {
  KeysDown down;
  Display* display = privateConnection();
  if (display == nullptr) return down;
  char keys[32] = {};
  XQueryKeymap(display, keys);
  down.scrollLock = keyDown(display, keys, XK_Scroll_Lock);
  down.rightShift = keyDown(display, keys, XK_Shift_R);
  down.leftShift = keyDown(display, keys, XK_Shift_L);
  down.rightCtrl = keyDown(display, keys, XK_Control_R);
  down.leftCtrl = keyDown(display, keys, XK_Control_L);
  down.rightAlt = keyDown(display, keys, XK_Alt_R);
  down.leftAlt = keyDown(display, keys, XK_Alt_L);
  return down;
}

}  // namespace rt
