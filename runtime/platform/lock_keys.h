// The lock-key state of the keyboard, as the window system reports it.
#pragma once

namespace rt {

struct LockKeyState {
  bool valid = false;  // false when no display could be asked
  bool capsLock = false;
  bool numLock = false;
};

// The modifier and lock keys that are physically down.
struct KeysDown {
  bool scrollLock = false;
  bool rightShift = false, leftShift = false;
  bool rightCtrl = false, leftCtrl = false;
  bool rightAlt = false, leftAlt = false;
};

// The Caps Lock and Num Lock states as the window system reports them on a private connection
// (where it can, by telling of each change rather than being asked each time).
// Start-up on the main thread, then RuntimeLoopThread only (never two threads at once).
// Scroll Lock is not reported: the runtime tracks it from its key presses.
LockKeyState readLockKeys();

// Asks the window system which modifier and lock keys are down (all false without a display).
// Start-up on the main thread only.
KeysDown readKeysDown();

}  // namespace rt
