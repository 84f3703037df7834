// The held-key set and the keyboard status bytes derived from it.
//
// The set lists every runtime key code that is down, plus the pseudo-keys for the Scroll Lock
// state (200011) and insert mode (200012), and Num Lock (100300) and Caps Lock (100301) while
// their lock state is on. DisplayThread (key events) and RuntimeLoopThread (lock-key sync)
// both change it, so a small mutex guards it; the application never touches it.
#pragma once

#include <cstdint>

#include "runtime/core/key_codes.h"

namespace rt {


// The character or extended code a keypad key stands for: 100256..100271 (Num Lock on: digits,
// ".", "/", "*", "-", "+", Enter) and 200000..200010 (Num Lock off: Insert, End, Down, Page Down,
// Left, centre, Right, Home, Up, Page Up, Delete); 0 for any other code.
int32_t keypadKeyMeaning(int32_t code);

// 1 when `code` (or its keypad twin) is held, else 0. Any thread.
int32_t keyIsHeld(int32_t code);
// Adds `code` unless present. Any thread.
void addHeldKey(int32_t code);
// Removes `code` when present, keeping the order of the others. Any thread.
void removeHeldKey(int32_t code);
// Rebuilds the status bytes at 0x417, 0x418 and 0x496 from the set. Any thread.
void refreshKeyboardStatus();
// Empties the set (start-up and tests).
void clearHeldKeys();

}  // namespace rt
