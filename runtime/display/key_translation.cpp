// The KeyTranslationTable and the reduction of window-library key reports to runtime codes.
//
// Provenance: the values follow the IBM PC BIOS keyboard service (the extended read) for a US
// 101/102-key keyboard with scan code set 1: a character key queues its character (as received,
// so Shift is already applied), Ctrl gives the control code where the PC has one, Alt gives the
// key's scan code in the high byte; keys without a character give their extended code. Where
// this runtime's established behaviour differs from that service it wins: Alt with Space, Tab,
// Enter and Escape queues nothing, and Shift+F11 / Shift+F12 give the plain F11 / F12 codes.
// The table is built at compile time from the per-key lists below.
#include "runtime/display/key_translation.h"

#include <cstddef>

namespace rt {
namespace {

using Table = std::array<KeyRecord, kKeyRecordCount>;

// A key of the main block that types a character, in its two shift states.
struct CharacterKey {
  char base;
  char shifted;
  int32_t scan;
  int32_t ctrl;  // 0: Ctrl with this key queues nothing
  int32_t alt;
};

constexpr CharacterKey kCharacterKeys[] = {
    {'1', '!', 2, 0, 0x7800},      {'2', '@', 3, 0x0300, 0x7900}, {'3', '#', 4, 0, 0x7A00},
    {'4', '$', 5, 0, 0x7B00},      {'5', '%', 6, 0, 0x7C00},      {'6', '^', 7, 30, 0x7D00},
    {'7', '&', 8, 0, 0x7E00},      {'8', '*', 9, 0, 0x7F00},      {'9', '(', 10, 0, 0x8000},
    {'0', ')', 11, 0, 0x8100},     {'-', '_', 12, 31, 0x8200},    {'=', '+', 13, 0, 0x8300},
    {'[', '{', 26, 27, 0x1A00},    {']', '}', 27, 29, 0x1B00},    {';', ':', 39, 0, 0x2700},
    {'\'', '"', 40, 0, 0x2800},    {'`', '~', 41, 0, 0x2900},     {'\\', '|', 43, 28, 0x2B00},
    {',', '<', 51, 0, 0x3300},     {'.', '>', 52, 0, 0x3400},     {'/', '?', 53, 0, 0x3500},
};

// Scan codes of the letters a..z on the US layout.
constexpr int32_t kLetterScans[26] = {30, 48, 46, 32, 18, 33, 34, 35, 23, 36, 37, 38, 50,
                                      49, 24, 25, 16, 19, 31, 20, 22, 47, 17, 45, 21, 44};

// Keys whose character is a control code or a blank: one record each.
struct ControlKey {
  int32_t character, scan, plain, shift, ctrl, alt;
};

constexpr ControlKey kControlKeys[] = {
    {8, 14, 8, 8, 127, 0x0E00},      // Backspace
    {9, 15, 9, 0x0F00, 0x9400, 0},   // Tab
    {13, 28, 13, 13, 10, 0},         // Enter
    {27, 1, 27, 27, 27, 0},          // Escape
    {32, 57, 32, 32, 32, 0},         // Space
};

// Keys without a character, by the code they arrive with (scan x 256 of the plain key).
struct ExtendedKey {
  int32_t code, scan, plain, shift, ctrl, alt;
};

constexpr ExtendedKey kCursorKeys[] = {
    {0x4700, 71, 0x4700, 0x4700, 0x7700, 0x9700},  // Home
    {0x4800, 72, 0x4800, 0x4800, 0x8D00, 0x9800},  // Up
    {0x4900, 73, 0x4900, 0x4900, 0x8400, 0x9900},  // Page Up
    {0x4B00, 75, 0x4B00, 0x4B00, 0x7300, 0x9B00},  // Left
    {0x4C00, 76, 0x4C00, 0x4C00, 0x8F00, 0},       // keypad centre
    {0x4D00, 77, 0x4D00, 0x4D00, 0x7400, 0x9D00},  // Right
    {0x4F00, 79, 0x4F00, 0x4F00, 0x7500, 0x9F00},  // End
    {0x5000, 80, 0x5000, 0x5000, 0x9100, 0xA000},  // Down
    {0x5100, 81, 0x5100, 0x5100, 0x7600, 0xA100},  // Page Down
    {0x5200, 82, 0x5200, 0x5200, 0x9200, 0xA200},  // Insert
    {0x5300, 83, 0x5300, 0x5300, 0x9300, 0xA300},  // Delete
    {0x8500, 87, 0x8500, 0x8500, 0x8900, 0x8B00},  // F11
    {0x8600, 88, 0x8600, 0x8600, 0x8A00, 0x8C00},  // F12
};

// Keypad keys, n = 0..15: scan, without Num Lock (plain, Shift), Ctrl, Alt, with Num Lock
// (plain, Shift). A digit key is a cursor key without Num Lock and a digit with it; Shift
// swaps the two, as on the PC.
struct KeypadKey {
  int32_t scan, plain, shift, ctrl, alt, numLock, numLockShift;
};

constexpr KeypadKey kKeypadKeys[16] = {
    {82, 0x5200, '0', 0x9200, 0, '0', 0x5200},  // 0 / Insert
    {79, 0x4F00, '1', 0x7500, 0, '1', 0x4F00},  // 1 / End
    {80, 0x5000, '2', 0x9100, 0, '2', 0x5000},  // 2 / Down
    {81, 0x5100, '3', 0x7600, 0, '3', 0x5100},  // 3 / Page Down
    {75, 0x4B00, '4', 0x7300, 0, '4', 0x4B00},  // 4 / Left
    {76, 0x4C00, '5', 0x8F00, 0, '5', 0x4C00},  // 5 / centre
    {77, 0x4D00, '6', 0x7400, 0, '6', 0x4D00},  // 6 / Right
    {71, 0x4700, '7', 0x7700, 0, '7', 0x4700},  // 7 / Home
    {72, 0x4800, '8', 0x8D00, 0, '8', 0x4800},  // 8 / Up
    {73, 0x4900, '9', 0x8400, 0, '9', 0x4900},  // 9 / Page Up
    {83, 0x5300, '.', 0x9300, 0, '.', 0x5300},  // . / Delete
    {53, '/', '/', 0x9500, 0xA400, '/', '/'},    // /
    {55, '*', '*', 0x9600, 0x3700, '*', '*'},    // *
    {74, '-', '-', 0x8E00, 0x4A00, '-', '-'},    // -
    {78, '+', '+', 0x9000, 0x4E00, '+', '+'},    // +
    {28, 13, 13, 10, 0xA600, 13, 13},            // Enter
};

constexpr KeyRecord record(int32_t identity, int32_t scan, int32_t plain, int32_t shift,
                           int32_t ctrl, int32_t alt, int32_t numLock = 0,
                           int32_t numLockShift = 0) {
  KeyRecord r;
  r.identity = identity;
  r.scan = scan;
  r.plain = plain;
  r.shift = shift;
  r.ctrl = ctrl;
  r.alt = alt;
  r.numLock = numLock;
  r.numLockShift = numLockShift;
  return r;
}

constexpr Table buildTable() {
  Table table{};
  for (const CharacterKey& key : kCharacterKeys) {
    for (char c : {key.base, key.shifted}) {
      table[static_cast<unsigned char>(c)] = record(key.base, key.scan, c, c, key.ctrl, key.alt);
    }
  }
  for (int32_t i = 0; i < 26; ++i) {
    int32_t lower = 'a' + i, upper = 'A' + i, scan = kLetterScans[i];
    table[static_cast<std::size_t>(lower)] = record(lower, scan, lower, lower, i + 1, scan << 8);
    table[static_cast<std::size_t>(upper)] = record(lower, scan, upper, upper, i + 1, scan << 8);
  }
  for (const ControlKey& key : kControlKeys) {
    table[static_cast<std::size_t>(key.character)] =
        record(key.character, key.scan, key.plain, key.shift, key.ctrl, key.alt);
  }
  for (int32_t i = 0; i < 10; ++i) {  // F1..F10
    int32_t scan = 59 + i;
    table[static_cast<std::size_t>(kExtendedRecordBase + scan)] =
        record(scan << 8, scan, (0x3B + i) << 8, (0x54 + i) << 8, (0x5E + i) << 8, (0x68 + i) << 8);
  }
  for (const ExtendedKey& key : kCursorKeys) {
    table[static_cast<std::size_t>(kExtendedRecordBase + key.code / 256)] =
        record(key.code, key.scan, key.plain, key.shift, key.ctrl, key.alt);
  }
  for (int32_t n = 0; n < 16; ++n) {
    const KeypadKey& key = kKeypadKeys[n];
    table[static_cast<std::size_t>(kKeypadRecordBase + n)] = record(
        0x200 + n, key.scan, key.plain, key.shift, key.ctrl, key.alt, key.numLock, key.numLockShift);
  }
  return table;
}

constexpr Table kTable = buildTable();

// freeglut's special-key numbers and the runtime codes they stand for.
struct SpecialKey {
  int key;
  int32_t code;
};

constexpr SpecialKey kSpecialKeys[] = {
    {1, 0x3B00},    {2, 0x3C00},    {3, 0x3D00},    {4, 0x3E00},    {5, 0x3F00},
    {6, 0x4000},    {7, 0x4100},    {8, 0x4200},    {9, 0x4300},    {10, 0x4400},
    {11, 0x8500},   {12, 0x8600},   {100, 0x4B00},  {101, 0x4800},  {102, 0x4D00},
    {103, 0x5000},  {104, 0x4900},  {105, 0x5100},  {106, 0x4700},  {107, 0x4F00},
    {108, 0x5200},
    // On X11 the keypad's Delete (Num Lock off) arrives as this special key rather than as the
    // character 127 the main Delete key gives; both are the same PC key.
    {111, kDeleteKey},
    {112, kLeftShiftKey},  {113, kRightShiftKey}, {114, kLeftCtrlKey},
    {115, kRightCtrlKey},  {116, kLeftAltKey},    {117, kRightAltKey},
};

// Win32 virtual-key numbers (winuser.h) of the keys taken by their key messages, and the
// runtime codes they stand for: the keys of kSpecialKeys, and the four control keys.
struct VirtualKey {
  uint32_t virtualKey;
  int32_t code;
};

constexpr VirtualKey kVirtualKeys[] = {
    {0x08, 8},       {0x09, kTabKey}, {0x0D, 13},      {0x1B, 27},      // Backspace .. Escape
    {0x21, 0x4900},  {0x22, 0x5100},  {0x23, 0x4F00},  {0x24, 0x4700},  // Page Up, Page Down, End, Home
    {0x25, 0x4B00},  {0x26, 0x4800},  {0x27, 0x4D00},  {0x28, 0x5000},  // Left, Up, Right, Down
    {0x2D, kInsertKey}, {0x2E, kDeleteKey},
    {0x70, 0x3B00},  {0x71, 0x3C00},  {0x72, 0x3D00},  {0x73, 0x3E00},  {0x74, 0x3F00},  // F1..F5
    {0x75, 0x4000},  {0x76, 0x4100},  {0x77, 0x4200},  {0x78, 0x4300},  {0x79, 0x4400},  // F6..F10
    {0x7A, 0x8500},  {0x7B, 0x8600},                                                   // F11, F12
    {0xA0, kLeftShiftKey}, {0xA1, kRightShiftKey}, {0xA2, kLeftCtrlKey},
    {0xA3, kRightCtrlKey}, {0xA4, kLeftAltKey},    {0xA5, kRightAltKey},
};

constexpr uint32_t kVirtualShift = 0x10, kVirtualControl = 0x11, kVirtualAlt = 0x12;
constexpr uint32_t kRightShiftScan = 0x36;

}  // namespace

const std::array<KeyRecord, kKeyRecordCount>& keyTranslationTable() { return kTable; }

const KeyRecord& keyRecord(int32_t index) {
  static constexpr KeyRecord kNone{};
  if (index < 0 || index >= kKeyRecordCount) return kNone;
  return kTable[static_cast<std::size_t>(index)];
}

int32_t asciiKeyCode(uint8_t character, bool ctrl, bool shift) {
  int32_t code = character;
  if (ctrl) {
    if (code == 10) {
      code = 13;
    } else if (code >= 1 && code <= 26) {
      code += shift ? 64 : 96;
    }
  }
  return code == 127 ? kDeleteKey : code;
}

int32_t specialKeyCode(int key) {
  for (const SpecialKey& special : kSpecialKeys) {
    if (special.key == key) return special.code;
  }
  return 0;
}

int32_t virtualKeyCode(uint32_t virtualKey, uint32_t scanCode, bool extended) {
  // Key messages name a modifier without its side; the scan code or the extended flag tells.
  if (virtualKey == kVirtualShift) return scanCode == kRightShiftScan ? kRightShiftKey : kLeftShiftKey;
  if (virtualKey == kVirtualControl) return extended ? kRightCtrlKey : kLeftCtrlKey;
  if (virtualKey == kVirtualAlt) return extended ? kRightAltKey : kLeftAltKey;
  for (const VirtualKey& key : kVirtualKeys) {
    if (key.virtualKey == virtualKey) return key.code;
  }
  return 0;
}

}  // namespace rt
