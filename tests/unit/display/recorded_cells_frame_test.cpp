// Frames of a screen with recorded text cells: each built frame must show what step-by-step
// drawing would show at that moment, recorded cells included, without the builder ever asking
// for them to be drawn into the pixels.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "runtime/core/errors.h"
#include "runtime/core/rt_string.h"
#include "runtime/display/frame_builder.h"
#include "runtime/screen/cell_records.h"
#include "runtime/screen/draw_circle.h"
#include "runtime/screen/draw_pixel.h"
#include "runtime/screen/image_surface.h"
#include "runtime/screen/palette.h"
#include "runtime/screen/screen_mode.h"
#include "runtime/screen/text_output.h"
#include "tests/support/runtime_test.h"

namespace rt {
namespace {

class RecordedCellsFrameTest : public testing::RuntimeTest {
 protected:
  void TearDown() override {
    setCellRecording(false);
    resetSurfaceTable();
    RuntimeTest::TearDown();
  }

  // A fresh mode-12 screen with recording `on`.
  void freshScreen(bool on) {
    setCellRecording(false);
    resetSurfaceTable();
    initScreen();
    setScreenMode(12, 0, 0, 0, 0, kGivenMode);
    setCellRecording(on);
  }

  static void printAt(int row, int column, const std::string& text) {
    locateCursor(row, column, 0, 0, 0, kLocateRow | kLocateColumn);
    printString(literalString(text), 0);
  }

  // One pass of `builder` into `ring`, then the renderer's take: the pixels of the frame shown
  // now (nothing before the first frame).
  static std::vector<uint32_t> shownAfterPass(FrameBuilder& builder, FrameRing& ring) {
    builder.buildPass(ring, &visibleSurface, 0);
    const DisplayFrame* shown = ring.take().showing;
    if (shown == nullptr) return {};
    return {shown->pixels, shown->pixels + static_cast<size_t>(shown->width) * shown->height};
  }

  // True when a pass of `builder` publishes a new frame.
  static bool publishes(FrameBuilder& builder, FrameRing& ring) {
    const uint64_t before = ring.lastBuiltOrder();
    builder.buildPass(ring, &visibleSurface, 0);
    const DisplayFrame* shown = ring.take().showing;
    return shown != nullptr && shown->order.load() > before;
  }

  int recorded() { return writeSurface()->cells->recorded; }

  // The frames each step of `steps` leaves on screen, with recording on or off.
  template <typename Steps>
  std::vector<std::vector<uint32_t>> framesAfterEachStep(bool on, Steps steps) {
    freshScreen(on);
    FrameRing ring;
    FrameBuilder builder;
    std::vector<std::vector<uint32_t>> frames;
    frames.push_back(shownAfterPass(builder, ring));
    for (const auto& step : steps) {
      step();
      frames.push_back(shownAfterPass(builder, ring));
    }
    return frames;
  }
};

using Step = std::function<void()>;

TEST_F(RecordedCellsFrameTest, EveryFrameEqualsTheFrameOfStepByStepDrawing) {
  const std::vector<Step> steps = {
      [] { printAt(29, 19, "OLD LIST OF CALLS"); },
      [] { printAt(29, 19, std::string(56, ' ')); },  // a frame between the blanks ...
      [] { printAt(29, 19, "K1ABC W2XYZ"); },          // ... and the text
      [] { setPixel(160, 455, 14, kPixelColor); },     // a marker over a recorded cell
      [] { drawCircle(100, 460, 6, 0, 0, 0, 12, kCircleColor); },
      [] { setPaletteEntry(15, 0x3F0000, 1); },        // only the palette changes
      [] { setPaletteEntry(0, 0x00003F, 1); },
      [] { printAt(29, 79, "ABCD"); },                 // wraps: the viewport scrolls
      [] { printAt(5, 5, "last"); },
  };
  const auto reference = framesAfterEachStep(false, steps);
  const auto withRecords = framesAfterEachStep(true, steps);
  EXPECT_GT(recorded(), 0) << "nothing was recorded: the test did not exercise recorded cells";
  ASSERT_EQ(reference.size(), withRecords.size());
  for (size_t step = 0; step < reference.size(); ++step) {
    EXPECT_EQ(withRecords[step].size(), 640u * 480u) << "no frame after step " << step;
    EXPECT_TRUE(withRecords[step] == reference[step]) << "the frame after step " << step << " differs";
  }
}

TEST_F(RecordedCellsFrameTest, ChangedRecordsAloneMakeANewFrameAndUnchangedOnesNone) {
  freshScreen(true);
  FrameRing ring;
  FrameBuilder builder;
  printAt(1, 1, "A");
  EXPECT_TRUE(publishes(builder, ring));
  const auto first = shownAfterPass(builder, ring);
  EXPECT_FALSE(publishes(builder, ring)) << "an unchanged screen published a frame";
  printAt(1, 1, "B");  // the pixels stay all 0: only the cell word changes
  ASSERT_EQ(recorded(), 1);
  EXPECT_TRUE(publishes(builder, ring)) << "a changed record published no frame";
  EXPECT_NE(first, shownAfterPass(builder, ring));
}

TEST_F(RecordedCellsFrameTest, TheBuilderLeavesRecordsRecorded) {
  freshScreen(true);
  FrameRing ring;
  FrameBuilder builder;
  printAt(10, 10, "recorded");
  ASSERT_TRUE(publishes(builder, ring));
  EXPECT_EQ(recorded(), 8);
}

}  // namespace
}  // namespace rt
