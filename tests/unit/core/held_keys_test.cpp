// The held-key set and the keyboard status bytes derived from it.
#include "runtime/core/held_keys.h"

#include <gtest/gtest.h>

#include "runtime/core/low_memory.h"

namespace rt {
namespace {

class HeldKeysTest : public ::testing::Test {
 protected:
  void SetUp() override {
    resetLowMemory();
    clearHeldKeys();
  }
  void TearDown() override { clearHeldKeys(); }
  static uint8_t byteAt(size_t offset) { return lowMemory()[offset]; }
};

TEST_F(HeldKeysTest, EachStatusBitFollowsItsKey) {
  const struct {
    int32_t code;
    size_t offset;
    uint8_t bits;
  } cases[] = {
      {100303, kKeyStatusOffset1, 0x01}, {100304, kKeyStatusOffset1, 0x02},
      {100306, kKeyStatusOffset1, 0x04}, {100308, kKeyStatusOffset1, 0x08},
      {200011, kKeyStatusOffset1, 0x10}, {100300, kKeyStatusOffset1, 0x20},
      {100301, kKeyStatusOffset1, 0x40}, {200012, kKeyStatusOffset1, 0x80},
      {100317, kKeyStatusOffset2, 0x04}, {100019, kKeyStatusOffset2, 0x08},
      {100302, kKeyStatusOffset2, 0x10}, {0x5200, kKeyStatusOffset2, 0x80},
      {200000, kKeyStatusOffset2, 0x80},  // keypad Insert counts as Insert
      {100307, kKeyStatusOffset3, 0x12},  // right Alt, plus the bit that is always set
  };
  for (const auto& c : cases) {
    clearHeldKeys();
    addHeldKey(c.code);
    refreshKeyboardStatus();
    EXPECT_EQ(byteAt(c.offset) & c.bits, c.bits) << c.code;
  }
  clearHeldKeys();
  refreshKeyboardStatus();
  EXPECT_EQ(byteAt(kKeyStatusOffset1), 0);
  EXPECT_EQ(byteAt(kKeyStatusOffset2), 0);
  EXPECT_EQ(byteAt(kKeyStatusOffset3), 0x10);
}

TEST_F(HeldKeysTest, MainKeysCountAsHeldWhileTheirKeypadTwinIsDown) {
  const struct {
    int32_t code, twin;
  } twins[] = {{13, 100271},     {42, 100268},     {43, 100270},     {45, 100269},
               {46, 100266},     {47, 100267},     {48, 100256},     {57, 100265},
               {0x5200, 200000}, {0x4F00, 200001}, {0x4C00, 200005}, {0x5300, 200010}};
  for (const auto& t : twins) {
    clearHeldKeys();
    addHeldKey(t.twin);
    EXPECT_EQ(keyIsHeld(t.code), 1) << t.code;
    EXPECT_EQ(keyIsHeld(t.twin), 1) << t.twin;
  }
  clearHeldKeys();
  addHeldKey(100256);
  EXPECT_EQ(keyIsHeld(49), 0) << "keypad 0 is not the key 1";
  EXPECT_EQ(keyIsHeld(0x5201), 0) << "only whole extended codes have twins";
}

TEST_F(HeldKeysTest, AddingTwiceKeepsOneEntryAndRemovingKeepsTheOthers) {
  addHeldKey(65);
  addHeldKey(66);
  addHeldKey(65);
  addHeldKey(67);
  removeHeldKey(65);
  EXPECT_EQ(keyIsHeld(65), 0) << "added twice, held once";
  EXPECT_EQ(keyIsHeld(66), 1);
  EXPECT_EQ(keyIsHeld(67), 1);
  removeHeldKey(99);  // absent: nothing happens
  EXPECT_EQ(keyIsHeld(66), 1);
}

}  // namespace
}  // namespace rt
