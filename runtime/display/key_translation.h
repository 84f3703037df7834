// Key translation: from the window library's key reports to runtime key codes, and from runtime
// key codes to the legacy (character, scan code) pairs of the keyboard buffer.
//
// How the pieces fit:
// - Every keyboard event is first reduced to a runtime key code (runtime/core/key_codes.h);
//   asciiKeyCode and specialKeyCode do this for freeglut's character and special-key callbacks,
//   asciiKeyCode and virtualKeyCode for the Win32 window's character and key messages.
// - The KeyTranslationTable then gives, per key, the PC scan code and the queued result for
//   each modifier state (key_events.cpp chooses the column). Its 528 records are indexed by
//   character code (0..255), by 256 + scan code for extended codes (256..511) and by 512 + n
//   for the keypad (n = 0..9 digits, 10 ".", 11 "/", 12 "*", 13 "-", 14 "+", 15 Enter).
//
// Everything here is constant data and pure functions: any thread.
#pragma once

#include <array>
#include <cstdint>

#include "runtime/core/key_codes.h"

namespace rt {

// One record of the KeyTranslationTable: ten 32-bit integers. A result of 0 queues nothing; a
// result with a non-zero high byte (result & 0xFF00) is an extended key with scan result / 256;
// any other result is a character code.
struct KeyRecord {
  int32_t identity = 0;      // 0: normalised key (lower-case letter, base character, 0x200 + n)
  int32_t scan = 0;          // 1: PC scan code; 0 means the key has no record
  int32_t plain = 0;         // 2: no modifier
  int32_t shift = 0;         // 3: with Shift
  int32_t ctrl = 0;          // 4: with Ctrl
  int32_t alt = 0;           // 5: with Alt
  int32_t numLock = 0;       // 6: keypad key with Num Lock on
  int32_t reserved7 = 0;     // 7: always 0
  int32_t reserved8 = 0;     // 8: always 0
  int32_t numLockShift = 0;  // 9: keypad key with Num Lock on and Shift

  // The value in column 0..9.
  constexpr int32_t column(int index) const {
    const int32_t values[10] = {identity, scan,    plain,     shift,     ctrl,
                                alt,      numLock, reserved7, reserved8, numLockShift};
    return values[index];
  }
  constexpr bool exists() const { return scan != 0; }
};

inline constexpr int kKeyRecordCount = 528;
inline constexpr int kExtendedRecordBase = 256;
inline constexpr int kKeypadRecordBase = 512;

// The whole table (see the overview for its indexing).
const std::array<KeyRecord, kKeyRecordCount>& keyTranslationTable();

// The record at `index`; an empty record (scan 0) outside 0..527.
const KeyRecord& keyRecord(int32_t index);

// The runtime code of a character-callback key `character` given the Ctrl and Shift modifier
// state: with Ctrl, 10 becomes 13 and 1..26 become the letter ("A".."Z" with Shift, "a".."z"
// without) so that the table supplies the control code; 127 becomes Delete (0x5300).
int32_t asciiKeyCode(uint8_t character, bool ctrl, bool shift);

// The runtime code of the window library's special key number `key` (F1..F12, the cursor
// block, the six modifier keys), or 0 for a key the runtime does not take.
int32_t specialKeyCode(int key);

// The runtime code of a Win32 key message's key that is taken by its virtual-key number
// (winuser.h's VK_ values) rather than by the character it types: F1..F12, the cursor block,
// Insert and Delete (the keypad's too, with Num Lock off), Backspace, Tab, Enter and Escape
// (whose characters would hide Ctrl: Ctrl+Backspace types 127, Ctrl+Tab nothing), and the six
// modifier keys, told apart by the message's scan code (Shift) or extended-key flag (Ctrl, Alt).
// 0 for every other key: character keys arrive as characters (asciiKeyCode), and the runtime
// does not take the rest.
int32_t virtualKeyCode(uint32_t virtualKey, uint32_t scanCode, bool extended);

}  // namespace rt
