#include "runtime/screen/palette.h"

#include <gtest/gtest.h>

#include "runtime/core/errors.h"
#include "runtime/screen/image_surface.h"
#include "runtime/screen/screen_mode.h"
#include "tests/support/runtime_test.h"

namespace rt {
namespace {

class PaletteTest : public testing::RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    initScreen();
    setScreenMode(12, 0, 0, 0, 0, kGivenMode);
  }
  uint32_t* palette() { return writeSurface()->palette; }
};

TEST_F(PaletteTest, SixBitComponentsScaleTo4cPlusCDiv16) {
  for (uint32_t c = 0; c < 64; ++c) EXPECT_EQ(paletteComponent(c), 4 * c + c / 16) << c;
}

TEST_F(PaletteTest, TheApplicationsThreeEntries) {
  setPaletteEntry(0, 3358271, 1);
  setPaletteEntry(14, 4144959, 1);
  setPaletteEntry(15, 0, 1);
  EXPECT_EQ(pendingError, 0u);
  EXPECT_EQ(palette()[0], 0x00FFFBCFu);
  EXPECT_EQ(palette()[14], 0x00FFFFFFu);
  EXPECT_EQ(palette()[15], 0x00000000u);
  EXPECT_EQ(palette()[1], 0xFF0000AAu);  // defaults keep their opaque top byte
}

TEST_F(PaletteTest, Mode12LimitsRaiseError5AndChangeNothing) {
  struct Case {
    int32_t attribute, color;
    uint32_t error;
  } cases[] = {{16, 0, 5}, {0, 0x40, 5}, {-1, 0, 5}, {3, -1, 5}, {1, 0x4000, 5}};
  for (const Case& c : cases) {
    pendingError = 0;
    uint32_t before[16];
    std::copy(palette(), palette() + 16, before);
    setPaletteEntry(c.attribute, c.color, 1);
    EXPECT_EQ(pendingError, c.error) << c.attribute << " " << c.color;
    if (c.error != 0) {
      EXPECT_TRUE(std::equal(before, before + 16, palette()));
    }
  }
}

TEST_F(PaletteTest, AttributeIsTakenModulo256) {
  setPaletteEntry(271, 0x3F, 1);
  EXPECT_EQ(pendingError, 0u);
  EXPECT_EQ(palette()[15], 0x00FF0000u);
}

TEST_F(PaletteTest, GivenZeroResetsToTheModeDefaults) {
  setPaletteEntry(3, 0x3F, 1);
  setPaletteEntry(0, 0, 0);
  EXPECT_EQ(palette()[3], 0xFF00AAAAu);
}

TEST_F(PaletteTest, SetColorMode12LimitsLeaveStateUnchanged) {
  setColor(5, 0, 0, 1);
  EXPECT_EQ(writeSurface()->foreColor, 5u);
  setColor(16, 0, 0, 1);
  EXPECT_EQ(pendingError, 5u);
  EXPECT_EQ(writeSurface()->foreColor, 5u);
  pendingError = 0;
  setColor(7, 20, 0, 3);
  EXPECT_EQ(pendingError, 5u);
  EXPECT_EQ(writeSurface()->foreColor, 5u);
  EXPECT_EQ(writeSurface()->backColor, 0u);
  pendingError = 0;
  setColor(7, 0, 1, 5);  // a third value is never accepted
  EXPECT_EQ(pendingError, 5u);
  pendingError = 0;
  setColor(-1, 0, 0, 1);  // compared unsigned
  EXPECT_EQ(pendingError, 5u);
  pendingError = 0;
  setColor(9, 4, 0, 3);
  EXPECT_EQ(writeSurface()->foreColor, 9u);
  EXPECT_EQ(writeSurface()->backColor, 4u);
  EXPECT_EQ(writeSurface()->drawColor, 15u);  // not touched by setColor
}

TEST_F(PaletteTest, OtherModesUseTheirOwnLimitsAndTables) {
  struct Case {
    int32_t mode, attribute, color;
    uint32_t error;
    int entry;
    uint32_t value;
  } cases[] = {
      {13, 200, 0x3F3F3F, 0, 200, 0x00FFFFFF},
      {11, 2, 0, 5, -1, 0},
      {10, 3, 8, 0, 7, 8},
      {10, 4, 0, 5, -1, 0},
      {9, 15, 63, 0, 15, 0xFFFFFFFF},
      {9, 1, 64, 5, -1, 0},
      {8, 4, 12, 0, 4, 0xFFFF5555},
      {2, 1, 15, 0, 1, 0xFFFFFFFF},
      {2, 2, 15, 5, -1, 0},
  };
  for (const Case& c : cases) {
    pendingError = 0;
    setScreenMode(c.mode, 0, 0, 0, 0, kGivenMode);
    setPaletteEntry(c.attribute, c.color, 1);
    EXPECT_EQ(pendingError, c.error) << "mode " << c.mode;
    if (c.entry >= 0) {
      EXPECT_EQ(palette()[c.entry], c.value) << "mode " << c.mode;
    }
  }
}

TEST(DefaultPaletteTest, TellingEntriesOfThe256ColourTable) {
  struct Case {
    int index;
    uint32_t rgb;
  } cases[] = {{0, 0x000000},   {7, 0xAAAAAA},   {15, 0xFFFFFF},  {16, 0x000000}, {17, 0x141414},
               {28, 0xB6B6B6},  {31, 0xFFFFFF},  {32, 0x0000FF},  {33, 0x4100FF}, {36, 0xFF00FF},
               {40, 0xFF0000},  {44, 0xFFFF00},  {100, 0xB6FFFF}, {104, 0x000071}, {240, 0x2D412D},
               {247, 0x2D3141}, {248, 0x000000}, {255, 0x000000}};
  for (const Case& c : cases) EXPECT_EQ(defaultPalette256()[c.index], 0xFF000000u | c.rgb) << c.index;
}

TEST(DefaultPaletteTest, EgaTableHasAHighAndALowBitPerComponent) {
  EXPECT_EQ(egaPalette64()[0], 0xFF000000u);
  EXPECT_EQ(egaPalette64()[1], 0xFF0000AAu);
  EXPECT_EQ(egaPalette64()[20], 0xFFAA5500u);  // brown
  EXPECT_EQ(egaPalette64()[56], 0xFF555555u);
  EXPECT_EQ(egaPalette64()[63], 0xFFFFFFFFu);
}

}  // namespace
}  // namespace rt
