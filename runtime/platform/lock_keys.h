// The lock-key state of the keyboard, as the window system reports it.
#pragma once

namespace rt {

struct LockKeyState {
  bool valid = false;  // false when no display could be asked
  bool capsLock = false;
  bool numLock = false;
};

// Asks the window system for the Caps Lock and Num Lock states on a private connection.
// Start-up on the main thread, then RuntimeLoopThread only (never two threads at once).
// Scroll Lock is not reported: the runtime tracks it from its key presses.
LockKeyState readLockKeys();

}  // namespace rt
