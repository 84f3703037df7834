// Lock and modifier keys on Windows: GetKeyState. Bit 0 of its result is the toggle state of a
// lock key, the top bit says the key is down.
#include <windows.h>

#include "runtime/platform/lock_keys.h"

namespace rt {
namespace {

bool toggledOn(int key) { return (GetKeyState(key) & 0x0001) != 0; }
bool isDown(int key) { return (static_cast<unsigned short>(GetKeyState(key)) & 0x8000u) != 0; }

}  // namespace

LockKeyState readLockKeys() {
  LockKeyState state;
  state.valid = true;
  state.capsLock = toggledOn(VK_CAPITAL);
  state.numLock = toggledOn(VK_NUMLOCK);
  return state;
}

KeysDown readKeysDown() {
  KeysDown down;
  down.scrollLock = isDown(VK_SCROLL);
  down.rightShift = isDown(VK_RSHIFT);
  down.leftShift = isDown(VK_LSHIFT);
  down.rightCtrl = isDown(VK_RCONTROL);
  down.leftCtrl = isDown(VK_LCONTROL);
  down.rightAlt = isDown(VK_RMENU);
  down.leftAlt = isDown(VK_LMENU);
  return down;
}

}  // namespace rt
