// The frame builder on its own thread while another thread draws: text, scrolling, lines,
// boxes, circles, clears, palette and cursor changes go on during the builder's passes (run
// under ThreadSanitizer by the test command), and once the drawing stops one more pass leaves
// exactly the picture of the surface on the screen.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "runtime/core/errors.h"
#include "runtime/core/rt_string.h"
#include "runtime/display/frame_builder.h"
#include "runtime/display/frame_ring.h"
#include "runtime/screen/cell_records.h"
#include "runtime/screen/draw_circle.h"
#include "runtime/screen/draw_line.h"
#include "runtime/screen/draw_pixel.h"
#include "runtime/screen/image_surface.h"
#include "runtime/screen/palette.h"
#include "runtime/screen/screen_mode.h"
#include "runtime/screen/text_output.h"
#include "tests/support/runtime_test.h"

namespace rt {
namespace {

class ConcurrentFrameBuilderTest : public testing::RuntimeTest {
 protected:
  void TearDown() override {
    resetSurfaceTable();
    RuntimeTest::TearDown();
  }

  // Runs `draw` on a second thread while this thread builds frames into ring_ and plays the
  // renderer's part; then one last pass. Returns the number of frames published meanwhile.
  template <typename Draw>
  int buildWhileDrawing(Draw draw) {
    std::atomic<bool> done{false};
    std::thread drawer([&] {
      draw();
      done.store(true, std::memory_order_release);
    });
    int published = 0;
    while (!done.load(std::memory_order_acquire)) {
      uint64_t before = ring_.lastBuiltOrder();
      builder_.buildPass(ring_, &visibleSurface, 0);
      if (ring_.lastBuiltOrder() != before) ++published;
      ring_.take();
      passes_.fetch_add(1, std::memory_order_release);
    }
    drawer.join();
    EXPECT_FALSE(errorIsPending()) << "the drawing stopped at a runtime error";
    builder_.buildPass(ring_, &visibleSurface, 0);
    return published;
  }

  // The drawing side: waits until the builder has finished two more passes, so that the
  // builder has certainly taken in everything drawn before this call.
  void waitForTwoPasses() {
    const int start = passes_.load(std::memory_order_acquire);
    while (passes_.load(std::memory_order_acquire) < start + 2) std::this_thread::yield();
  }

  // The frame the renderer would show now.
  const DisplayFrame& shown() { return *ring_.take().showing; }

  FrameRing ring_;
  FrameBuilder builder_;
  std::atomic<int> passes_{0};
};

std::string printable(size_t length) {
  std::string text;
  for (size_t i = 0; i < length; ++i) text += static_cast<char>(' ' + 1 + i % 94);
  return text;
}

// Everything the drawing primitives do to a mode-12 screen, round after round.
void drawMode12Rounds(int rounds) {
  const std::string line = printable(200);
  for (int round = 0; round < rounds; ++round) {
    const auto shift = static_cast<float>(round % 40);
    if (round % 25 == 0) clearScreen(0, 0, 0);
    locateCursor(29, 1, 0, 0, 0, kLocateRow | kLocateColumn);
    printString(literalString(line), 1);  // wraps and scrolls the text viewport
    drawLine(10 + shift, 10, 600, 400 - shift, static_cast<uint32_t>(round % 16), kLineSegment, 0,
             kLineFirstPoint | kLineColor);
    drawLine(100, 100 + shift, 300, 200, static_cast<uint32_t>((round + 3) % 16), kLineFilledBox, 0,
             kLineFirstPoint | kLineColor);
    drawLine(50, 50, 590, 430, 7, kLineBox, 0x0F0F, kLineFirstPoint | kLineColor | kLineStyle);
    drawCircle(320, 240, 20 + shift, 0, 0, 0, static_cast<uint32_t>((round + 5) % 16), kCircleColor);
    setPixel(shift, shift, static_cast<uint32_t>(round % 16), kPixelColor);
    setPaletteEntry(round % 16, (round * 7) % 64, 1);
    if (round % 10 == 0) setPaletteEntry(0, 0, 0);  // back to the defaults
  }
}

// Pixels alone change: a pass must notice them without a palette change.
void drawPixelsOnly() {
  drawLine(0, 0, 639, 479, 14, kLineFilledBox, 0, kLineFirstPoint | kLineColor);
  drawCircle(100, 100, 50, 0, 0, 0, 2, kCircleColor);
  printString(literalString(printable(80)), 0);
}

TEST_F(ConcurrentFrameBuilderTest, Mode12DrawingDuringPassesEndsWithTheExactPicture) {
  initScreen();
  setScreenMode(12, 0, 0, 0, 0, kGivenMode);
  EXPECT_GE(buildWhileDrawing([this] {
              drawMode12Rounds(150);
              waitForTwoPasses();
              drawPixelsOnly();
            }),
            1);

  const ImageSurface& s = *visibleSurface();
  const DisplayFrame& frame = shown();
  ASSERT_EQ(frame.width, 640);
  ASSERT_EQ(frame.height, 480);
  int wrong = 0;
  for (size_t i = 0; i < 640 * 480; ++i) {
    if (frame.pixels[i] != s.palette[s.pixels[i]]) ++wrong;
  }
  EXPECT_EQ(wrong, 0);
}

// The plotter's pattern with text cells recorded: blanks and text over the same cells, markers
// over recorded cells, scrolling and palette changes while the builder loads cell words and
// pixels. The last frame must equal the picture of the same drawing done step by step.
TEST_F(ConcurrentFrameBuilderTest, Mode12RecordedCellsDuringPassesEndWithTheStepByStepPicture) {
  // `pause` runs every 500 records: the threaded run lets the builder make passes there.
  const auto drawing = [](const auto& pause) {
    for (int record = 0; record < 3000; ++record) {
      if (record % 500 == 0) pause();
      locateCursor(29, 19, 0, 0, 0, kLocateRow | kLocateColumn);
      printString(literalString(std::string(56, ' ')), 0);
      locateCursor(29, 19, 0, 0, 0, kLocateRow | kLocateColumn);
      printString(literalString(printable(static_cast<size_t>(record % 57))), 0);
      locateCursor(27, 50, 0, 0, 0, kLocateRow | kLocateColumn);
      printString(literalString(printable(static_cast<size_t>(20 + record % 9))), 0);
      const auto x = static_cast<float>(150 + record % 400);
      setPixel(x, static_cast<float>(400 + record % 70), static_cast<uint32_t>(record % 16), kPixelColor);
      if (record % 5 == 0) drawCircle(x, 440, 3 + record % 4, 0, 0, 0, static_cast<uint32_t>(record % 16), kCircleColor);
      if (record % 300 == 0) setPaletteEntry(record % 16, (record * 7) % 64, 1);
      if (record % 700 == 0) {
        locateCursor(29, 75, 0, 0, 0, kLocateRow | kLocateColumn);
        printString(literalString("scrolls"), 1);
      }
    }
  };
  initScreen();
  setScreenMode(12, 0, 0, 0, 0, kGivenMode);
  drawing([] {});  // glyphs drawn at once: the reference
  const ImageSurface& reference = *visibleSurface();
  std::vector<uint32_t> expected(640 * 480);
  for (size_t i = 0; i < expected.size(); ++i) expected[i] = reference.palette[reference.pixels[i]];

  resetSurfaceTable();
  initScreen();
  setScreenMode(12, 0, 0, 0, 0, kGivenMode);
  setCellRecording(true);
  EXPECT_GE(buildWhileDrawing([&] { drawing([this] { waitForTwoPasses(); }); }), 1);
  setCellRecording(false);
  ASSERT_GT(visibleSurface()->cells->recorded, 0) << "nothing was recorded";
  const DisplayFrame& frame = shown();
  ASSERT_EQ(frame.width, 640);
  ASSERT_EQ(frame.height, 480);
  int wrong = 0;
  for (size_t i = 0; i < expected.size(); ++i) {
    if (frame.pixels[i] != expected[i]) ++wrong;
  }
  EXPECT_EQ(wrong, 0);
}

TEST_F(ConcurrentFrameBuilderTest, TextScreenDrawingDuringPassesEndsWithTheFullPicture) {
  initScreen();
  const std::string line = printable(300);
  buildWhileDrawing([&] {
    for (int round = 0; round < 200; ++round) {
      locateCursor(1 + round % 25, 1 + round % 80, round % 2, round % 8, 7 + round % 9,
                   kLocateRow | kLocateColumn | kLocateCursorShown | kLocateFirstLine | kLocateLastLine);
      setColor(round % 32, round % 8, 0, 3);
      printString(literalString(line.substr(0, static_cast<size_t>(round % 300))), round % 2);
      if (round % 50 == 0) setPaletteEntry(round % 16, round % 64, 1);
      if (round % 70 == 0) clearScreen(0, 0, 0);
    }
    // Then cells whose character alone changes, with the cursor still, after passes have
    // taken in the cleared screen.
    setColor(7, 0, 0, 3);
    clearScreen(0, 0, 0);
    waitForTwoPasses();
    printString(literalString(line), 0);
  });
  // The frame built a cell at a time over the passes equals one built whole from the surface.
  const DisplayFrame& incremental = shown();
  FrameRing freshRing;
  FrameBuilder fresh;
  fresh.buildPass(freshRing, &visibleSurface, 0);
  const DisplayFrame& whole = *freshRing.take().showing;
  ASSERT_EQ(incremental.width, whole.width);
  ASSERT_EQ(incremental.height, whole.height);
  int wrong = 0;
  for (size_t i = 0; i < static_cast<size_t>(whole.width) * whole.height; ++i) {
    if (incremental.pixels[i] != whole.pixels[i]) ++wrong;
  }
  EXPECT_EQ(wrong, 0);
}

TEST_F(ConcurrentFrameBuilderTest, TrueColorDrawingDuringPassesEndsWithTheExactPicture) {
  initScreen();
  const int32_t image = createSurface(320, 200, 32);
  ASSERT_NE(image, 0);
  setWriteSurface(image);
  setVisibleSurface(image);
  buildWhileDrawing([] {
    for (int round = 0; round < 200; ++round) {
      const auto shift = static_cast<float>(round % 50);
      const uint32_t opaque = 0xFF000000u | static_cast<uint32_t>(round) * 0x010203u;
      drawLine(shift, 0, 200 + shift, 150, opaque, kLineFilledBox, 0, kLineFirstPoint | kLineColor);
      drawLine(0, 0, 319, 199 - shift, 0x80FFFFFFu, kLineSegment, 0, kLineFirstPoint | kLineColor);
      drawLine(10, 10, 60 + shift, 60, 0x4000FF00u, kLineFilledBox, 0, kLineFirstPoint | kLineColor);
      locateCursor(2 + round % 10, 1 + round % 30, 0, 0, 0, kLocateRow | kLocateColumn);
      printString(literalString("True colour"), 0);
      if (round % 40 == 0) clearScreen(0, 0, 0);
    }
  });
  const ImageSurface& s = *visibleSurface();
  const DisplayFrame& frame = shown();
  ASSERT_EQ(frame.width, 320);
  ASSERT_EQ(frame.height, 200);
  const auto* pixels = reinterpret_cast<const uint32_t*>(s.pixels);
  int wrong = 0;
  for (size_t i = 0; i < 320 * 200; ++i) {
    if (frame.pixels[i] != pixels[i]) ++wrong;
  }
  EXPECT_EQ(wrong, 0);
}

}  // namespace
}  // namespace rt
