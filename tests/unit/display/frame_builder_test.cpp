#include "runtime/display/frame_builder.h"

#include <gtest/gtest.h>

#include "runtime/core/display_pause.h"
#include "runtime/core/errors.h"
#include "runtime/screen/glyph_tables.h"
#include "runtime/screen/image_surface.h"
#include "runtime/screen/palette.h"
#include "runtime/screen/screen_mode.h"
#include "tests/support/runtime_test.h"

namespace rt {
namespace {

class FrameBuilderTest : public testing::RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    initScreen();
  }

  // Runs one pass; true when it published a new frame.
  bool pass(uint32_t counter = 0) {
    uint64_t before = newestReadyOrder();
    builder.buildPass(ring, &visibleSurface, counter);
    return newestReadyOrder() != before;
  }

  uint64_t newestReadyOrder() {
    uint64_t newest = 0;
    for (int i = 0; i < FrameRing::kFrames; ++i) {
      if (ring.frame(i).state.load() == FrameState::Ready && ring.frame(i).order.load() > newest) {
        newest = ring.frame(i).order.load();
      }
    }
    return newest;
  }

  const DisplayFrame& shown() { return *ring.take().showing; }

  FrameRing ring;
  FrameBuilder builder;
};

TEST_F(FrameBuilderTest, Mode12FrameUsesThePaletteOfEachPixel) {
  setScreenMode(12, 0, 0, 0, 0, kGivenMode);
  setPaletteEntry(0, 3358271, 1);
  writePixel(5, 7, 12);
  writePixel(639, 479, 18);  // stored as 2
  ASSERT_TRUE(pass());
  const DisplayFrame& frame = shown();
  ASSERT_EQ(frame.width, 640);
  ASSERT_EQ(frame.height, 480);
  EXPECT_EQ(frame.pixels[0], 0x00FFFBCFu);
  EXPECT_EQ(frame.pixels[7 * 640 + 5], 0xFFFF5555u);
  EXPECT_EQ(frame.pixels[479 * 640 + 639], 0xFF00AA00u);
}

TEST_F(FrameBuilderTest, UnchangedScreenPublishesNothingAndAsksForNoRedraw) {
  setScreenMode(12, 0, 0, 0, 0, kGivenMode);
  ASSERT_TRUE(pass());
  shown();
  uint64_t built = ring.lastBuiltOrder();
  EXPECT_FALSE(pass());
  EXPECT_FALSE(pass());
  EXPECT_EQ(ring.lastBuiltOrder(), built);
  EXPECT_FALSE(ring.take().newFrame);
}

TEST_F(FrameBuilderTest, PixelOrPaletteChangePublishesAFrame) {
  setScreenMode(12, 0, 0, 0, 0, kGivenMode);
  ASSERT_TRUE(pass());
  setPaletteEntry(0, 0x3F, 1);  // same pixel bytes, new colour for index 0
  ASSERT_TRUE(pass());
  EXPECT_EQ(shown().pixels[0], 0x00FF0000u);
  writePixel(1, 1, 3);
  ASSERT_TRUE(pass());
  EXPECT_EQ(shown().pixels[641], 0xFF00AAAAu);
}

TEST_F(FrameBuilderTest, ForcedRebuildPublishesAnUnchangedScreenOnce) {
  setScreenMode(12, 0, 0, 0, 0, kGivenMode);
  ASSERT_TRUE(pass());
  forceFrameRebuild = 1;
  EXPECT_TRUE(pass());
  EXPECT_EQ(forceFrameRebuild, 0);
  EXPECT_FALSE(pass());
}

TEST_F(FrameBuilderTest, ModeChangeGivesAFrameOfTheNewSize) {
  ASSERT_TRUE(pass());
  EXPECT_EQ(shown().width, 640);
  EXPECT_EQ(shown().height, 400);  // 80 x 25 cells of 8 x 16
  setScreenMode(12, 0, 0, 0, 0, kGivenMode);
  ASSERT_TRUE(pass());
  EXPECT_EQ(shown().height, 480);
}

TEST_F(FrameBuilderTest, TextScreenDrawsCellsFromTheFontAndRedrawsOnlyChanges) {
  ImageSurface& text = *visibleSurface();
  ASSERT_TRUE(text.isText);
  text.pixels[0] = 'A';
  text.pixels[1] = 0x1E;  // yellow on blue
  ASSERT_TRUE(pass());
  const DisplayFrame& first = shown();
  const uint8_t* glyph = fontGlyphs8x16() + 'A' * 128;
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 8; ++x) {
      uint32_t expected = glyph[y * 8 + x] ? 0xFFFFFF55u : 0xFF0000AAu;
      ASSERT_EQ(first.pixels[y * 640 + x], expected) << x << "," << y;
    }
  }
  EXPECT_EQ(first.pixels[8], 0xFF000000u);  // the blank cell next to it
  EXPECT_FALSE(pass());                      // nothing changed
  text.pixels[2 * 81] = 0xDB;                // full block at row 2, column 2
  ASSERT_TRUE(pass());
  const DisplayFrame& second = shown();
  EXPECT_EQ(second.pixels[16 * 640 + 8], 0xFFAAAAAAu);
  EXPECT_EQ(second.pixels[0 * 640 + 1], first.pixels[1]);  // copied from the previous frame
}

TEST_F(FrameBuilderTest, BlinkingCellHidesItsGlyphInTheOffPhase) {
  ImageSurface& text = *visibleSurface();
  text.pixels[0] = 0xDB;
  text.pixels[1] = 0x8F;  // blinking white on black
  ASSERT_TRUE(pass(0));
  EXPECT_EQ(shown().pixels[0], 0xFFFFFFFFu);
  ASSERT_TRUE(pass(8));  // bit 3 set: off phase
  EXPECT_EQ(shown().pixels[0], 0xFF000000u);
}

}  // namespace
}  // namespace rt
