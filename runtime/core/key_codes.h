// Runtime key codes: every keyboard event is first reduced to one 32-bit integer.
//
//     1..255              a character key, by its character code
//     scan x 256          a key without a character (0x3B00 F1 .. 0x8600 F12, 0x4800 Up, ...)
//     100019              Pause;           100318  Break;          100317  System Request
//     100256..100271      keypad 0..9, ".", "/", "*", "-", "+", Enter with Num Lock on
//     100300..100302      Num Lock, Caps Lock, Scroll Lock keys
//     100303..100308      right / left Shift, right / left Ctrl, right / left Alt
//     200000..200010      keypad Insert, End, Down, Page Down, Left, centre, Right, Home, Up,
//                         Page Up, Delete with Num Lock off
//     200011 / 200012     pseudo-keys held while Scroll Lock / insert mode is on
//     200013              stands for the code 0 while that key is held
//
// The key handlers (display layer) produce and interpret these codes; the held-key set and the
// keyboard status bytes (core) record them.
#pragma once

#include <cstdint>

namespace rt {

inline constexpr int32_t kTabKey = 9;
inline constexpr int32_t kInsertKey = 0x5200;
inline constexpr int32_t kDeleteKey = 0x5300;

inline constexpr int32_t kPauseKey = 100019;
inline constexpr int32_t kKeypadFirstKey = 100256;      // keypad "0" with Num Lock on
inline constexpr int32_t kKeypadFlagLastKey = 100266;   // keypad "." : last one read by Num Lock
inline constexpr int32_t kKeypadLastKey = 100271;       // keypad Enter
inline constexpr int32_t kAlternateBreakKey = 100296;
inline constexpr int32_t kNumLockKey = 100300;
inline constexpr int32_t kCapsLockKey = 100301;
inline constexpr int32_t kScrollLockKey = 100302;
inline constexpr int32_t kRightShiftKey = 100303;
inline constexpr int32_t kLeftShiftKey = 100304;
inline constexpr int32_t kRightCtrlKey = 100305;
inline constexpr int32_t kLeftCtrlKey = 100306;
inline constexpr int32_t kRightAltKey = 100307;
inline constexpr int32_t kLeftAltKey = 100308;
inline constexpr int32_t kSystemRequestKey = 100317;
inline constexpr int32_t kBreakKey = 100318;

inline constexpr int32_t kKeypadNavigationFirstKey = 200000;  // keypad Insert, Num Lock off
inline constexpr int32_t kKeypadNavigationLastKey = 200010;   // keypad Delete, Num Lock off
inline constexpr int32_t kScrollLockStateKey = 200011;        // held while Scroll Lock is on
inline constexpr int32_t kInsertModeKey = 200012;             // held while insert mode is on
inline constexpr int32_t kZeroCodeKey = 200013;

}  // namespace rt
