#include "runtime/screen/screen_mode.h"

#include <gtest/gtest.h>

#include "runtime/core/errors.h"
#include "runtime/screen/image_surface.h"
#include "tests/support/runtime_test.h"

namespace rt {
namespace {

class ScreenModeTest : public testing::RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    initScreen();
  }
};

TEST_F(ScreenModeTest, StartsWithTheTextScreenAndItsEightPages) {
  ImageSurface* s = visibleSurface();
  ASSERT_NE(s, nullptr);
  EXPECT_TRUE(s->isText);
  EXPECT_EQ(s->width, 80);
  EXPECT_EQ(s->height, 25);
  EXPECT_EQ(s->font, 16);
  EXPECT_EQ(s->foreColor, 7u);
  EXPECT_EQ(s->pixels[0], 0x20);
  EXPECT_EQ(s->pixels[1], 0x07);
  for (int page = 0; page < 8; ++page) EXPECT_NE(pageSurface(page), 0) << page;
  EXPECT_EQ(pageSurface(8), 0);
  EXPECT_GE(pageSurface(0), 2);  // indices 0 and 1 are never used
  EXPECT_TRUE(startupAllowanceOn());
}

TEST_F(ScreenModeTest, Mode12GeometryAndStartValues) {
  setScreenMode(12, 0, 0, 0, 0, kGivenMode);
  ImageSurface* s = writeSurface();
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s, visibleSurface());
  EXPECT_EQ(s, readSurface());
  EXPECT_EQ(s->width, 640);
  EXPECT_EQ(s->height, 480);
  EXPECT_EQ(s->bytesPerPixel, 1);
  EXPECT_EQ(s->bitsPerPixel, 4);
  EXPECT_EQ(s->colorMask, 15u);
  EXPECT_EQ(s->font, 16);
  EXPECT_EQ(s->foreColor, 15u);
  EXPECT_EQ(s->backColor, 0u);
  EXPECT_EQ(s->drawColor, 15u);
  TextGrid grid = textGrid(*s);
  EXPECT_EQ(grid.columns, 80);
  EXPECT_EQ(grid.rows, 30);
  EXPECT_EQ(s->topRow, 1);
  EXPECT_EQ(s->bottomRow, 29);
  EXPECT_EQ(s->cursorRow, 1);
  EXPECT_EQ(s->cursorColumn, 1);
  EXPECT_FLOAT_EQ(s->penX, 320);
  EXPECT_FLOAT_EQ(s->penY, 240);
  EXPECT_EQ(s->viewX2, 639);
  EXPECT_EQ(s->viewY2, 479);
  EXPECT_EQ(s->printMode, 3);
  EXPECT_EQ(s->transparentColor, -1);
  EXPECT_EQ(s->palette[16], 0u);
  EXPECT_FALSE(startupAllowanceOn());
}

TEST_F(ScreenModeTest, SelectingTheSameModeTwiceDoesNotRebuild) {
  setScreenMode(12, 0, 0, 0, 0, kGivenMode);
  ImageSurface* first = writeSurface();
  first->pixels[0] = 9;
  setScreenMode(12, 0, 0, 0, 0, kGivenMode);
  EXPECT_EQ(writeSurface(), first);
  EXPECT_EQ(first->pixels[0], 9);
}

TEST_F(ScreenModeTest, InvalidModesAndPagesAreError5) {
  for (int32_t mode : {3, 4, 5, 6, 14, 100}) {
    pendingError = 0;
    setScreenMode(mode, 0, 0, 0, 0, kGivenMode);
    EXPECT_EQ(pendingError, 5u) << mode;
    EXPECT_TRUE(visibleSurface()->isText);
  }
  pendingError = 0;
  setScreenMode(0, 0, -1, 0, 0, kGivenActivePage);
  EXPECT_EQ(pendingError, 5u);
  pendingError = 0;
  setScreenMode(-999, 0, 0, 0, 0, kGivenMode);
  EXPECT_EQ(pendingError, 258u);
}

TEST_F(ScreenModeTest, GridOfEveryGraphicsMode) {
  struct Case {
    int32_t mode, width, height, font, columns, rows;
    uint32_t fore;
  } cases[] = {{1, 320, 200, 8, 40, 25, 3},   {2, 640, 200, 8, 80, 25, 1},
               {7, 320, 200, 8, 40, 25, 15},  {8, 640, 200, 8, 80, 25, 15},
               {9, 640, 350, 14, 80, 25, 15}, {10, 640, 350, 14, 80, 25, 3},
               {11, 640, 480, 16, 80, 30, 1}, {13, 320, 200, 8, 40, 25, 15}};
  for (const Case& c : cases) {
    setScreenMode(c.mode, 0, 0, 0, 0, kGivenMode);
    ImageSurface* s = writeSurface();
    ASSERT_NE(s, nullptr) << c.mode;
    EXPECT_EQ(s->width, c.width) << c.mode;
    EXPECT_EQ(s->height, c.height) << c.mode;
    EXPECT_EQ(s->font, c.font) << c.mode;
    EXPECT_EQ(textGrid(*s).columns, c.columns) << c.mode;
    EXPECT_EQ(textGrid(*s).rows, c.rows) << c.mode;
    EXPECT_EQ(s->foreColor, c.fore) << c.mode;
  }
}

TEST_F(ScreenModeTest, PixelWritesAreMaskedToTheColourDepth) {
  setScreenMode(12, 0, 0, 0, 0, kGivenMode);
  writePixel(10, 20, 18);
  EXPECT_EQ(writeSurface()->pixels[20 * 640 + 10], 2);
  setScreenMode(13, 0, 0, 0, 0, kGivenMode);
  writePixel(0, 0, 0x1FF);
  EXPECT_EQ(writeSurface()->pixels[0], 0xFF);
}

TEST_F(ScreenModeTest, Mode12After80x60GridKeepsTheSmallFont) {
  setScreenMode(12, 0, 0, 0, 0, kGivenMode);
  setSurfaceFont(8, *writeSurface());  // 80 x 60
  setScreenMode(2, 0, 0, 0, 0, kGivenMode);
  setScreenMode(12, 0, 0, 0, 0, kGivenMode);
  EXPECT_EQ(writeSurface()->font, 16);  // mode 2's grid was 80 x 25
  setSurfaceFont(8, *writeSurface());
  setScreenMode(11, 0, 0, 0, 0, kGivenMode);
  EXPECT_EQ(writeSurface()->font, 8);
  EXPECT_EQ(textGrid(*writeSurface()).rows, 60);
}

TEST_F(ScreenModeTest, PageSwitchingCreatesPagesAndCopiesTheGraphicsBlock) {
  setScreenMode(12, 0, 0, 0, 0, kGivenMode);
  ImageSurface* zero = writeSurface();
  zero->penX = 11;
  zero->viewX2 = 100;
  setScreenMode(12, 0, 1, 0, 0, kGivenActivePage | kGivenVisiblePage);
  ImageSurface* one = writeSurface();
  ASSERT_NE(one, zero);
  EXPECT_EQ(visibleSurface(), zero);
  EXPECT_EQ(one->palette, zero->palette);  // pages share page 0's palette
  EXPECT_FLOAT_EQ(one->penX, 11);
  EXPECT_EQ(one->viewX2, 100);
  EXPECT_EQ(activePageNumber(), 1);
}

TEST(SurfaceTableTest, FreedIndicesAreReusedLastInFirstOut) {
  resetSurfaceTable();
  int32_t a = createSurface(10, 10, 12);
  int32_t b = createSurface(10, 10, 12);
  EXPECT_GE(a, 2);
  freeSurface(a);
  freeSurface(b);
  EXPECT_EQ(surfaceAt(a), nullptr);
  EXPECT_EQ(createSurface(5, 5, 13), b);
  EXPECT_EQ(createSurface(5, 5, 13), a);
  EXPECT_EQ(createSurface(0, 5, 13), 0);
  EXPECT_EQ(createSurface(5, 5, 4), 0);
  freeSurface(12345);  // ignored
  freeSurface(0);
}

}  // namespace
}  // namespace rt
