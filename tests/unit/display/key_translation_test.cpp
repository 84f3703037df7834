// The KeyTranslationTable and the reduction of character, special and virtual keys to runtime codes.
#include "runtime/display/key_translation.h"

#include <gtest/gtest.h>

#include <cstring>

namespace rt {
namespace {

TEST(KeyTranslationTest, TellingRowsMatchThePcConventionsExactly) {
  const struct {
    const char* key;
    int32_t index, scan, plain, shift, ctrl, alt;
  } rows[] = {
      {"Backspace", 8, 14, 8, 8, 127, 0x0E00},
      {"Tab", 9, 15, 9, 0x0F00, 0x9400, 0},
      {"Enter", 13, 28, 13, 13, 10, 0},
      {"Escape", 27, 1, 27, 27, 27, 0},
      {"Space", 32, 57, 32, 32, 32, 0},
      {"0", 48, 11, 48, 48, 0, 0x8100},
      {"1", 49, 2, 49, 49, 0, 0x7800},
      {"A", 65, 30, 65, 65, 1, 0x1E00},
      {"a", 97, 30, 97, 97, 1, 0x1E00},
      {"z", 122, 44, 122, 122, 26, 0x2C00},
      {"F1", 256 + 59, 59, 0x3B00, 0x5400, 0x5E00, 0x6800},
      {"Home", 256 + 71, 71, 0x4700, 0x4700, 0x7700, 0x9700},
      {"Up", 256 + 72, 72, 0x4800, 0x4800, 0x8D00, 0x9800},
      {"Left", 256 + 75, 75, 0x4B00, 0x4B00, 0x7300, 0x9B00},
      {"Delete", 256 + 83, 83, 0x5300, 0x5300, 0x9300, 0xA300},
      {"F11", 256 + 133, 87, 0x8500, 0x8500, 0x8900, 0x8B00},
      {"F12", 256 + 134, 88, 0x8600, 0x8600, 0x8A00, 0x8C00},
  };
  for (const auto& row : rows) {
    const KeyRecord& r = keyRecord(row.index);
    EXPECT_EQ(r.scan, row.scan) << row.key;
    EXPECT_EQ(r.plain, row.plain) << row.key;
    EXPECT_EQ(r.shift, row.shift) << row.key;
    EXPECT_EQ(r.ctrl, row.ctrl) << row.key;
    EXPECT_EQ(r.alt, row.alt) << row.key;
  }
  const struct {
    const char* key;
    int32_t n, scan, plain, shift, ctrl, alt, numLock, numLockShift;
  } keypad[] = {
      {"keypad 8", 8, 72, 0x4800, 56, 0x8D00, 0, 56, 0x4800},
      {"keypad 0", 0, 82, 0x5200, 48, 0x9200, 0, 48, 0x5200},
      {"keypad Enter", 15, 28, 13, 13, 10, 0xA600, 13, 13},
  };
  for (const auto& row : keypad) {
    const KeyRecord& r = keyRecord(kKeypadRecordBase + row.n);
    const int32_t columns[] = {0x200 + row.n, row.scan, row.plain, row.shift, row.ctrl,
                               row.alt,       row.numLock, 0,     0,         row.numLockShift};
    for (int c = 0; c < 10; ++c) EXPECT_EQ(r.column(c), columns[c]) << row.key << " column " << c;
  }
}

TEST(KeyTranslationTest, CharactersOutsideTheKeyboardHaveNoRecord) {
  for (int32_t c = 127; c <= 255; ++c) EXPECT_FALSE(keyRecord(c).exists()) << c;
  for (int32_t c : {0, 1, 3, 10, 26, 28, 31}) EXPECT_FALSE(keyRecord(c).exists()) << c;
  EXPECT_FALSE(keyRecord(-1).exists());
  EXPECT_FALSE(keyRecord(kKeyRecordCount).exists());
}

TEST(KeyTranslationTest, EveryPrintableCharacterHasTheScanCodeOfItsKey) {
  // US layout, scan code set 1: the key that types each character, with or without Shift.
  const struct {
    const char* characters;
    int32_t scan;
  } keys[] = {{"1!", 2},  {"2@", 3},  {"3#", 4},  {"4$", 5},  {"5%", 6},   {"6^", 7},
              {"7&", 8},  {"8*", 9},  {"9(", 10}, {"0)", 11}, {"-_", 12},  {"=+", 13},
              {"[{", 26}, {"]}", 27}, {";:", 39}, {"'\"", 40}, {"`~", 41}, {"\\|", 43},
              {",<", 51}, {".>", 52}, {"/?", 53}, {"qQ", 16}, {"pP", 25},  {"mM", 50},
              {" ", 57}};
  for (const auto& key : keys) {
    for (const char* c = key.characters; *c != 0; ++c) {
      const KeyRecord& r = keyRecord(static_cast<unsigned char>(*c));
      EXPECT_EQ(r.scan, key.scan) << *c;
      EXPECT_EQ(r.plain, static_cast<unsigned char>(*c)) << *c << " arrives already shifted";
      EXPECT_EQ(r.shift, static_cast<unsigned char>(*c)) << *c;
      EXPECT_EQ(r.identity, static_cast<unsigned char>(key.characters[0])) << *c;
    }
  }
  for (int32_t c = 32; c <= 126; ++c) EXPECT_TRUE(keyRecord(c).exists()) << c;
}

TEST(KeyTranslationTest, LettersGiveControlCodesWithCtrlAndTheirScanCodeWithAlt) {
  for (int32_t i = 0; i < 26; ++i) {
    const KeyRecord& lower = keyRecord('a' + i);
    const KeyRecord& upper = keyRecord('A' + i);
    EXPECT_EQ(lower.identity, 'a' + i);
    EXPECT_EQ(upper.identity, 'a' + i) << "both cases are one key";
    EXPECT_EQ(upper.scan, lower.scan);
    EXPECT_EQ(lower.ctrl, i + 1);
    EXPECT_EQ(upper.ctrl, i + 1);
    EXPECT_EQ(lower.alt, lower.scan << 8);
    EXPECT_EQ(upper.alt, lower.scan << 8);
  }
}

TEST(KeyTranslationTest, FunctionKeysF1ToF10FollowTheFourBlocks) {
  for (int32_t i = 0; i < 10; ++i) {
    const KeyRecord& r = keyRecord(kExtendedRecordBase + 59 + i);
    EXPECT_EQ(r.scan, 59 + i);
    EXPECT_EQ(r.plain, (0x3B + i) << 8);
    EXPECT_EQ(r.shift, (0x54 + i) << 8);
    EXPECT_EQ(r.ctrl, (0x5E + i) << 8);
    EXPECT_EQ(r.alt, (0x68 + i) << 8);
  }
}

TEST(KeyTranslationTest, KeypadDigitsSwapDigitAndCursorKeyWithShiftAndNumLock) {
  const int32_t cursor[10] = {0x5200, 0x4F00, 0x5000, 0x5100, 0x4B00,
                              0x4C00, 0x4D00, 0x4700, 0x4800, 0x4900};
  for (int32_t n = 0; n < 10; ++n) {
    const KeyRecord& r = keyRecord(kKeypadRecordBase + n);
    EXPECT_EQ(r.identity, 0x200 + n);
    EXPECT_EQ(r.plain, cursor[n]) << n;
    EXPECT_EQ(r.numLockShift, cursor[n]) << n;
    EXPECT_EQ(r.shift, '0' + n) << n;
    EXPECT_EQ(r.numLock, '0' + n) << n;
    EXPECT_EQ(r.scan, cursor[n] >> 8) << "the keypad key is the cursor key's twin";
    // The cursor key's own record agrees on Ctrl.
    EXPECT_EQ(r.ctrl, keyRecord(kExtendedRecordBase + (cursor[n] >> 8)).ctrl) << n;
  }
  const KeyRecord& point = keyRecord(kKeypadRecordBase + 10);
  EXPECT_EQ(point.plain, kDeleteKey);
  EXPECT_EQ(point.numLock, '.');
}

TEST(KeyTranslationTest, EveryResultIsNothingACharacterOrAWholeExtendedCode) {
  const auto& table = keyTranslationTable();
  for (int32_t index = 0; index < kKeyRecordCount; ++index) {
    const KeyRecord& r = table[static_cast<size_t>(index)];
    EXPECT_EQ(r.reserved7, 0) << index;
    EXPECT_EQ(r.reserved8, 0) << index;
    if (!r.exists()) {
      EXPECT_EQ(r.plain | r.shift | r.ctrl | r.alt | r.numLock | r.numLockShift, 0) << index;
      continue;
    }
    EXPECT_LT(r.scan, 128) << index;
    EXPECT_NE(r.plain, 0) << index << ": a key always gives something without modifiers";
    for (int c = 2; c <= 9; ++c) {
      int32_t result = r.column(c);
      EXPECT_TRUE(result >= 0 && result <= 0xFFFF && (result < 256 || (result & 0xFF) == 0))
          << index << " column " << c << " = " << result;
    }
    if (index < kKeypadRecordBase) {
      EXPECT_EQ(r.numLock | r.numLockShift, 0) << index;
    }
  }
}

TEST(KeyTranslationTest, CtrlTurnsControlCodesBackIntoLetters) {
  const struct {
    uint8_t received;
    bool ctrl, shift;
    int32_t code;
  } cases[] = {
      {3, true, false, 'c'},        // Ctrl+C
      {3, true, true, 'C'},         // Ctrl+Shift+C
      {1, true, false, 'a'},        {26, true, false, 'z'},
      {10, true, false, 13},        // Ctrl+Enter as some systems report it
      {13, true, false, 'm'},       // Ctrl+M
      {27, true, false, 27},        // outside 1..26: unchanged
      {0, true, false, 0},          {3, false, false, 3},
      {127, false, false, kDeleteKey},  // Delete from the character callback
      {127, true, false, kDeleteKey},
      {'x', false, true, 'x'},      {200, false, false, 200},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(asciiKeyCode(c.received, c.ctrl, c.shift), c.code)
        << int(c.received) << " ctrl " << c.ctrl << " shift " << c.shift;
  }
}

TEST(KeyTranslationTest, SpecialKeysMapByTheFullTableAndOthersAreIgnored) {
  const struct {
    int key;
    int32_t code;
  } table[] = {
      {1, 0x3B00},    {2, 0x3C00},    {3, 0x3D00},    {4, 0x3E00},    {5, 0x3F00},
      {6, 0x4000},    {7, 0x4100},    {8, 0x4200},    {9, 0x4300},    {10, 0x4400},
      {11, 0x8500},   {12, 0x8600},   {100, 0x4B00},  {101, 0x4800},  {102, 0x4D00},
      {103, 0x5000},  {104, 0x4900},  {105, 0x5100},  {106, 0x4700},  {107, 0x4F00},
      {108, 0x5200},  {111, 0x5300},  {112, 100304},  {113, 100303},  {114, 100306},
      {115, 100305},  {116, 100308},  {117, 100307},
  };
  for (const auto& entry : table) EXPECT_EQ(specialKeyCode(entry.key), entry.code) << entry.key;
  for (int key : {0, 13, 99, 109, 110, 118, 119, 1000, -1}) EXPECT_EQ(specialKeyCode(key), 0) << key;
}

// Win32 key messages: the keys without a character give the codes their freeglut twins give.
TEST(KeyTranslationTest, VirtualKeysGiveTheCodesOfTheirSpecialKeyTwins) {
  const struct {
    uint32_t virtualKey;
    int special;  // the freeglut special key for the same key
  } twins[] = {
      {0x70, 1},   {0x71, 2},   {0x72, 3},   {0x73, 4},   {0x74, 5},   {0x75, 6},
      {0x76, 7},   {0x77, 8},   {0x78, 9},   {0x79, 10},  {0x7A, 11},  {0x7B, 12},
      {0x25, 100}, {0x26, 101}, {0x27, 102}, {0x28, 103}, {0x21, 104}, {0x22, 105},
      {0x24, 106}, {0x23, 107}, {0x2D, 108}, {0x2E, 111},
      {0xA0, 112}, {0xA1, 113}, {0xA2, 114}, {0xA3, 115}, {0xA4, 116}, {0xA5, 117},
  };
  for (const auto& twin : twins) {
    EXPECT_EQ(virtualKeyCode(twin.virtualKey, 0, false), specialKeyCode(twin.special)) << twin.virtualKey;
    EXPECT_NE(virtualKeyCode(twin.virtualKey, 0, false), 0) << twin.virtualKey;
  }
}

TEST(KeyTranslationTest, VirtualModifiersTakeTheirSideFromScanCodeOrExtendedFlag) {
  EXPECT_EQ(virtualKeyCode(0x10, 0x2A, false), kLeftShiftKey);
  EXPECT_EQ(virtualKeyCode(0x10, 0x36, false), kRightShiftKey);
  EXPECT_EQ(virtualKeyCode(0x11, 0x1D, false), kLeftCtrlKey);
  EXPECT_EQ(virtualKeyCode(0x11, 0x1D, true), kRightCtrlKey);
  EXPECT_EQ(virtualKeyCode(0x12, 0x38, false), kLeftAltKey);
  EXPECT_EQ(virtualKeyCode(0x12, 0x38, true), kRightAltKey);
}

TEST(KeyTranslationTest, VirtualControlKeysAreTheirCharactersAndCharacterKeysAreLeftToTheCharacter) {
  EXPECT_EQ(virtualKeyCode(0x08, 0x0E, false), 8);   // Backspace
  EXPECT_EQ(virtualKeyCode(0x09, 0x0F, false), 9);   // Tab
  EXPECT_EQ(virtualKeyCode(0x0D, 0x1C, false), 13);  // Enter
  EXPECT_EQ(virtualKeyCode(0x0D, 0x1C, true), 13);   // keypad Enter
  EXPECT_EQ(virtualKeyCode(0x1B, 0x01, false), 27);  // Escape
  // Letters, digits, the keypad with Num Lock on, Space: their characters come separately.
  for (uint32_t key : {0x41u, 0x5Au, 0x30u, 0x39u, 0x60u, 0x69u, 0x6Eu, 0x20u, 0xBAu}) {
    EXPECT_EQ(virtualKeyCode(key, 0, false), 0) << key;
  }
  // Keys the runtime does not take by key message: keypad centre (Clear), Caps Lock and Num Lock
  // (their states come from the lock-key sync), Pause, Ctrl+Break and Scroll Lock (reported as
  // window messages), the Windows keys.
  for (uint32_t key : {0x0Cu, 0x14u, 0x90u, 0x13u, 0x03u, 0x91u, 0x5Bu, 0x5Cu, 0xFFu}) {
    EXPECT_EQ(virtualKeyCode(key, 0, false), 0) << key;
  }
}

}  // namespace
}  // namespace rt
