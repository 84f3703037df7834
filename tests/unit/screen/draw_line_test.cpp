#include "runtime/screen/draw_line.h"

#include <gtest/gtest.h>

#include <set>

#include "runtime/screen/draw_pixel.h"
#include "tests/unit/screen/mode12_fixture.h"

namespace rt {
namespace {

using testing::Pixel;
using Pixels = std::set<Pixel>;

constexpr int32_t kPointsAndColor = kLineFirstPoint | kLineColor;  // what the application passes

class DrawLineTest : public testing::Mode12Test {
 protected:
  void line(float x1, float y1, float x2, float y2, int32_t kind = kLineSegment) {
    drawLine(x1, y1, x2, y2, 15, kind, 0, kPointsAndColor);
  }
  void styled(float x1, float y1, float x2, float y2, int32_t style, int32_t kind = kLineSegment) {
    drawLine(x1, y1, x2, y2, 15, kind, style, kPointsAndColor | kLineStyle);
  }
  // Pixels x1..x2 of row y.
  static Pixels run(int x1, int x2, int y) {
    Pixels p;
    for (int x = x1; x <= x2; ++x) p.insert({x, y});
    return p;
  }
};

TEST_F(DrawLineTest, DrawLine_WalksTheMajorAxisAndRoundsHalvesAwayFromZero) {
  struct Case {
    const char* what;
    float x1, y1, x2, y2;
    Pixels lit;
  } cases[] = {
      {"shallow: y 0, .25, .5, .75, 1", 0, 0, 4, 1, {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 1}}},
      {"shallow backwards", 4, 1, 0, 0, {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 1}}},
      {"steep", 0, 0, 1, 4, {{0, 0}, {0, 1}, {1, 2}, {1, 3}, {1, 4}}},
      {"steep backwards", 2, 4, 0, 0, {{2, 4}, {2, 3}, {1, 2}, {1, 1}, {0, 0}}},
      {"diagonal runs y-major", 3, 3, 0, 0, {{0, 0}, {1, 1}, {2, 2}, {3, 3}}},
      {"single point", 10, 10, 10, 10, {{10, 10}}},
      {"vertical", 5, 2, 5, 4, {{5, 2}, {5, 3}, {5, 4}}},
      {"end points round to even", 0.5f, 0, 2.5f, 0, {{0, 0}, {1, 0}, {2, 0}}},
      {"1.5 rounds up to 2", 1.5f, 7, 3.5f, 7, {{2, 7}, {3, 7}, {4, 7}}},
  };
  for (const Case& c : cases) {
    fill(0);
    line(c.x1, c.y1, c.x2, c.y2);
    EXPECT_EQ(litPixels(), c.lit) << c.what;
  }
}

TEST_F(DrawLineTest, DrawLine_StylePatternStartsAtBit15AndRepeatsEvery16Pixels) {
  struct Case {
    int32_t style;
    Pixels lit;  // of a 20-pixel line along row 10
  } cases[] = {
      {0xF0F0, [] {
         Pixels p = run(0, 3, 10), q = run(8, 11, 10), r = run(16, 19, 10);
         p.insert(q.begin(), q.end());
         p.insert(r.begin(), r.end());
         return p;
       }()},
      {0x8000, {{0, 10}, {16, 10}}},
      {0x0001, {{15, 10}}},
      {0x18000, {{0, 10}, {16, 10}}},  // only the low 16 bits count
      {0, {}},
  };
  for (const Case& c : cases) {
    fill(0);
    styled(0, 10, 19, 10, c.style);
    EXPECT_EQ(litPixels(), c.lit) << std::hex << c.style;
  }
}

TEST_F(DrawLineTest, DrawLine_ClippedStartKeepsThePatternInStep) {
  styled(-10, 5, 10, 5, 0xF0F0);
  EXPECT_EQ(lineStyleSkip(), 10);
  // Pixels 1-4, 9-12 and 17-20 of the whole line counted from x = -10.
  EXPECT_EQ(litPixels(), (Pixels{{0, 5}, {1, 5}, {6, 5}, {7, 5}, {8, 5}, {9, 5}}));
}

TEST_F(DrawLineTest, ClipLine_MovesEndPointsOntoTheClipRectangle) {
  struct Case {
    const char* what;
    LineEnds in;
    bool visible;
    LineEnds out;
    int64_t skip;
  } cases[] = {
      {"from the left", {-10, 5, 10, 5}, true, {0, 5, 10, 5}, 10},
      {"to the right", {10, 5, 700, 5}, true, {10, 5, 639, 5}, 0},
      {"through the corner", {-10, -10, 10, 10}, true, {0, 0, 10, 10}, 10},
      {"across the whole height", {320, -100, 320, 600}, true, {320, 0, 320, 479}, 100},
      {"touching the corner only", {-10, 10, 10, -10}, true, {0, 0, 0, 0}, 10},
      {"intersection 0.5 rounds to even", {-3, 0, 3, 1}, true, {0, 0, 3, 1}, 3},
      {"intersection 1.5 rounds to even", {-5, 0, 5, 3}, true, {0, 2, 5, 3}, 5},
      {"inside", {1, 2, 3, 4}, true, {1, 2, 3, 4}, 0},
      {"single point inside", {320, 240, 320, 240}, true, {320, 240, 320, 240}, 0},
      {"single point outside", {-1, -1, -1, -1}, false, {}, 0},
      {"both left", {-5, -5, -1, 300}, false, {}, 0},
      {"both right", {700, 0, 800, 100}, false, {}, 0},
      {"both above", {5, -5, 600, -1}, false, {}, 0},
      {"both below", {-10, 500, 10, 520}, false, {}, 0},
      {"passing outside the corner", {-10, 5, 5, -10}, false, {}, 0},
  };
  const ClipRect screenRect{0, 0, 639, 479};
  for (const Case& c : cases) {
    LineEnds e = c.in;
    ASSERT_EQ(clipLine(e, screenRect), c.visible) << c.what;
    if (c.visible) {
      EXPECT_EQ(e.x1, c.out.x1) << c.what;
      EXPECT_EQ(e.y1, c.out.y1) << c.what;
      EXPECT_EQ(e.x2, c.out.x2) << c.what;
      EXPECT_EQ(e.y2, c.out.y2) << c.what;
      EXPECT_EQ(lineStyleSkip(), c.skip) << c.what;
    }
  }
}

TEST_F(DrawLineTest, DrawLine_BoxOutlineDrawsFourEdgesEachWithItsOwnPattern) {
  line(10, 10, 13, 12, kLineBox);
  Pixels outline = run(10, 13, 10);
  for (const Pixel& p : run(10, 13, 12)) outline.insert(p);
  outline.insert({10, 11});
  outline.insert({13, 11});
  EXPECT_EQ(litPixels(), outline);

  fill(0);
  styled(10, 10, 13, 12, 0x8000, kLineBox);  // each edge draws only its first pixel
  EXPECT_EQ(litPixels(), (Pixels{{10, 10}, {13, 10}, {13, 12}, {10, 12}}));

  fill(0);
  line(7, 8, 7, 8, kLineBox);
  EXPECT_EQ(litPixels(), (Pixels{{7, 8}}));
}

TEST_F(DrawLineTest, DrawLine_FilledBoxIsTheSameInEitherCornerOrderAndClipped) {
  struct Case {
    const char* what;
    float x1, y1, x2, y2;
    int x1Lit, y1Lit, x2Lit, y2Lit;  // the filled rectangle; x2Lit < x1Lit for none
  } cases[] = {
      {"corners in order", 10, 20, 15, 22, 10, 20, 15, 22},
      {"corners reversed", 15, 22, 10, 20, 10, 20, 15, 22},
      {"corners crossed", 15, 20, 10, 22, 10, 20, 15, 22},
      {"partly off the screen", 630, 470, 700, 500, 630, 470, 639, 479},
      {"around the whole screen", -5, -5, 1000, 1000, 0, 0, 639, 479},
      {"right of column 639", 640, 0, 700, 10, 1, 0, 0, 0},
      {"below row 479", 0, 480, 10, 490, 1, 0, 0, 0},
  };
  for (const Case& c : cases) {
    fill(0);
    drawLine(c.x1, c.y1, c.x2, c.y2, 18, kLineFilledBox, 0x8000, kPointsAndColor | kLineStyle);
    Pixels expected;
    for (int y = c.y1Lit; y <= c.y2Lit && c.x1Lit <= c.x2Lit; ++y) {
      for (const Pixel& p : run(c.x1Lit, c.x2Lit, y)) expected.insert(p);
    }
    EXPECT_EQ(litPixels(), expected) << c.what;
    if (!expected.empty()) {
      EXPECT_EQ(pixel(c.x1Lit, c.y1Lit), 2) << c.what << ": colour AND 15";
    }
  }
}

TEST_F(DrawLineTest, DrawLine_PenAndRelativePoints) {
  struct Case {
    const char* what;
    int32_t given;
    float x1, y1, x2, y2;
    Pixels lit;
    float penX, penY;
  } cases[] = {
      {"both absolute", kLineFirstPoint, 1, 1, 3, 1, {{1, 1}, {2, 1}, {3, 1}}, 3, 1},
      {"from the pen", 0, 99, 99, 52, 50, {{50, 50}, {51, 50}, {52, 50}}, 52, 50},
      {"second relative to the first", kLineFirstPoint | kLineSecondRelative, 10, 10, 2, 0,
       {{10, 10}, {11, 10}, {12, 10}}, 12, 10},
      {"first relative to the pen", kLineFirstPoint | kLineFirstRelative, 1, 0, 53, 50,
       {{51, 50}, {52, 50}, {53, 50}}, 53, 50},
      {"both relative", kLineFirstPoint | kLineFirstRelative | kLineSecondRelative, 0, 1, 0, 2,
       {{50, 51}, {50, 52}, {50, 53}}, 50, 53},
  };
  for (const Case& c : cases) {
    fill(0);
    screen().penX = 50;
    screen().penY = 50;
    drawLine(c.x1, c.y1, c.x2, c.y2, 3, kLineSegment, 0, c.given | kLineColor);
    EXPECT_EQ(litPixels(), c.lit) << c.what;
    EXPECT_EQ(screen().penX, c.penX) << c.what;
    EXPECT_EQ(screen().penY, c.penY) << c.what;
  }
}

TEST_F(DrawLineTest, DrawLine_ColourAndUnknownKind) {
  screen().foreColor = 6;
  drawLine(0, 0, 2, 0, 0, kLineSegment, 0, kLineFirstPoint);
  EXPECT_EQ(pixel(1, 0), 6);
  EXPECT_EQ(screen().drawColor, 6u);

  fill(0);
  drawLine(0, 0, 9, 9, 4, 3, 0, kPointsAndColor);
  EXPECT_TRUE(litPixels().empty());
  EXPECT_EQ(screen().penX, 9.0f);
  EXPECT_EQ(screen().drawColor, 4u);
}

TEST_F(DrawLineTest, DrawLine_FarAwayPointsKeepTheirSide) {
  line(100, 100, 1e10f, 100);
  EXPECT_EQ(litPixels(), run(100, 639, 100));
  fill(0);
  line(-1e30f, 7, 5, 7);
  EXPECT_EQ(litPixels(), run(0, 5, 7));
}

TEST_F(DrawLineTest, SetPixel_RoundsTiesToEvenAndDrawsOnlyOnTheSurface) {
  struct Case {
    float x, y;
    bool drawn;
    Pixel at;
  } cases[] = {
      {639.5f, 0, false, {}}, {2.5f, 0, true, {2, 0}},   {3.5f, 1, true, {4, 1}},
      {-0.5f, 0, true, {0, 0}}, {-0.6f, 0, false, {}},   {0, 479.5f, false, {}},
      {639.4f, 479.4f, true, {639, 479}},
  };
  for (const Case& c : cases) {
    fill(0);
    setPixel(c.x, c.y, 18, kPixelColor);
    EXPECT_EQ(litPixels(), c.drawn ? Pixels{c.at} : Pixels{}) << c.x << ", " << c.y;
    if (c.drawn) {
      EXPECT_EQ(pixel(c.at.first, c.at.second), 2);
    }
    EXPECT_EQ(screen().penX, c.x);
    EXPECT_EQ(screen().drawColor, 18u);
  }
}

TEST_F(DrawLineTest, SetPixel_RelativeToThePenWithTheForegroundColour) {
  screen().foreColor = 9;
  setPixel(10, 10, 0, 0);
  setPixel(1, -2, 0, kPixelRelative);
  EXPECT_EQ(litPixels(), (Pixels{{10, 10}, {11, 8}}));
  EXPECT_EQ(pixel(11, 8), 9);
}

TEST_F(DrawLineTest, ViewAndWindowMapCoordinatesAndClip) {
  ImageSurface& s = screen();
  s.viewX1 = 100, s.viewY1 = 100, s.viewX2 = 199, s.viewY2 = 199;
  s.viewOffsetX = 100, s.viewOffsetY = 100;
  s.coordMode = 1;
  line(0, 0, 200, 0);
  EXPECT_EQ(litPixels(), run(100, 199, 100));
  fill(0);
  setPixel(-1, 0, 15, kPixelColor);  // maps to (99, 100), left of the view
  setPixel(5, 6, 15, kPixelColor);
  EXPECT_EQ(litPixels(), (Pixels{{105, 106}}));

  fill(0);
  s.coordMode = 2;
  s.scaleX = 2, s.scaleY = 0.5f, s.scaleOffsetX = 10, s.scaleOffsetY = 1;
  setPixel(5, 5, 15, kPixelColor);                   // 5 * 2 + 10 + 100, 5 * 0.5 + 1 + 100
  // A box one pixel wide at x 110, y 101 to 104 (3.5 rounds to 4).
  drawLine(0, 0, 0, 5, 15, kLineFilledBox, 0, kPointsAndColor);
  EXPECT_EQ(litPixels(), (Pixels{{120, 104}, {110, 101}, {110, 102}, {110, 103}, {110, 104}}));
}

// A pixel's window mapping rounds its sum once, to the x87's 64-bit significand, on every
// platform: each x is exactly halfway in extended precision only, so a wider long double or a
// fused multiply-add would draw it one pixel to the right (off by one from x86-64).
TEST_F(DrawLineTest, SetPixel_WindowMappingRoundsAsTheExtendedFormatDoes) {
  ImageSurface& s = screen();
  s.viewX1 = 0, s.viewY1 = 0, s.viewX2 = 639, s.viewY2 = 479;
  s.coordMode = 2;
  s.scaleY = 1, s.scaleOffsetY = 0;
  const struct {
    float penX, scaleX, scaleOffsetX;
    int x;  // the pixel x86-64 draws
  } cases[] = {
      {601, 0.5f, 0x1p-56f, 300},       // 300.5 + 2^-56: halfway, to the even 300
      {603, 0.5f, 0x1p-56f, 302},       // 301.5 + 2^-56: to the even 302 either way
      {1, 300.5f, 0x1.8p-56f, 301},     // 300.5 + 1.5 * 2^-56: above halfway
      {0x1p-20f, 0x1.2cp28f, 0.5f, 300},  // 300 + 0.5 (exact): to the even 300
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.penX);
    fill(0);
    s.scaleX = c.scaleX, s.scaleOffsetX = c.scaleOffsetX;
    setPixel(c.penX, 7, 15, kPixelColor);
    EXPECT_EQ(litPixels(), (Pixels{{c.x, 7}}));
  }
}

// Lines and boxes round the window's product to a float before the sum: (1 + 2^-12)^2 is
// 1 + 2^-11 as a float, and 0.5 after the offset, which goes to the even pixel 0. A fused
// multiply-add (64-bit ARM has one) would keep the product's 2^-24 and draw pixel 1.
TEST_F(DrawLineTest, DrawLine_WindowProductIsRoundedBeforeTheSum) {
  ImageSurface& s = screen();
  s.viewX1 = 0, s.viewY1 = 0, s.viewX2 = 639, s.viewY2 = 479;
  s.coordMode = 2;
  s.scaleX = 0x1.001p0f, s.scaleOffsetX = -0x1.004p-1f, s.scaleY = 1, s.scaleOffsetY = 0;
  line(0x1.001p0f, 7, 0x1.001p0f, 7);
  EXPECT_EQ(litPixels(), (Pixels{{0, 7}}));
}

TEST_F(DrawLineTest, DrawingOnTheTextScreenIsIllegal) {
  initScreen();  // the 80 x 25 text screen
  drawLine(0, 0, 5, 5, 1, kLineSegment, 0, kPointsAndColor);
  EXPECT_EQ(pendingError, 5u);
  pendingError = 0;
  setPixel(1, 1, 1, kPixelColor);
  EXPECT_EQ(pendingError, 5u);
}

TEST_F(DrawLineTest, PendingErrorDrawsNothingAndKeepsThePen) {
  pendingError = 6;
  line(0, 0, 10, 10);
  setPixel(3, 3, 15, kPixelColor);
  EXPECT_TRUE(litPixels().empty());
  EXPECT_EQ(screen().penX, 320.0f);
  EXPECT_EQ(pendingError, 6u);
}

}  // namespace
}  // namespace rt
