#include <X11/XKBlib.h>
#include <X11/Xlib.h>

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

}  // namespace rt
