// Caps Lock and Num Lock on X11.
//
// The server tells this private connection of every change of an indicator (an Xkb
// IndicatorStateNotify event). A sync only looks, without blocking, for events that have
// arrived, and asks for the states only after one: asking on each sync would be round trips
// thirty times a second for keys that seldom change. Without the Xkb extension every sync asks.
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

LockKeyState askServer(Display* display) {
  LockKeyState state;
  state.valid = true;
  state.capsLock = indicatorOn(display, "Caps Lock");
  state.numLock = indicatorOn(display, "Num Lock");
  return state;
}

// The states as last asked for, and whether the server reports changes. RuntimeLoopThread
// after start-up.
struct IndicatorWatch {
  bool tried = false;  // startWatching has run
  bool watching = false;
  int xkbEventBase = 0;
  LockKeyState state;
};

IndicatorWatch& watch() {
  static IndicatorWatch shared;
  return shared;
}

// Asks the server to report indicator changes, then reads the states; false when it cannot.
bool startWatching(Display* display, IndicatorWatch& w) {
  int opcode = 0, errorBase = 0, major = XkbMajorVersion, minor = XkbMinorVersion;
  if (!XkbQueryExtension(display, &opcode, &w.xkbEventBase, &errorBase, &major, &minor)) {
    return false;
  }
  if (!XkbSelectEventDetails(display, XkbUseCoreKbd, XkbIndicatorStateNotify, XkbAllIndicatorsMask,
                             XkbAllIndicatorsMask)) {
    return false;
  }
  // Sent now: later syncs only read, and a change before the server has the request would be
  // missed.
  XFlush(display);
  w.state = askServer(display);
  w.watching = true;
  return true;
}

// Takes the notifications that have arrived, without waiting for more; after a change the
// states are asked for once (changes are rare, and the names fix which indicator is which).
void takeNotifications(Display* display, IndicatorWatch& w) {
  bool changed = false;
  while (XEventsQueued(display, QueuedAfterReading) > 0) {
    XEvent event;
    XNextEvent(display, &event);
    if (event.type != w.xkbEventBase) continue;
    const XkbEvent& xkb = reinterpret_cast<const XkbEvent&>(event);
    if (xkb.any.xkb_type == XkbIndicatorStateNotify) changed = true;
  }
  if (changed) w.state = askServer(display);
}

// True when a key carrying `symbol` is down in the 256-bit key map.
bool keyDown(Display* display, const char (&keys)[32], KeySym symbol) {
  KeyCode code = XKeysymToKeycode(display, symbol);
  return code != 0 && (keys[code / 8] & (1 << (code % 8))) != 0;
}

}  // namespace

LockKeyState readLockKeys() {
  Display* display = privateConnection();
  if (display == nullptr) return LockKeyState{};
  IndicatorWatch& w = watch();
  if (!w.tried) {
    w.tried = true;
    startWatching(display, w);
  }
  if (!w.watching) return askServer(display);
  takeNotifications(display, w);
  return w.state;
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
