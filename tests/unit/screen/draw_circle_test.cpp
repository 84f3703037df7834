#include "runtime/screen/draw_circle.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <vector>

#include "tests/unit/screen/mode12_fixture.h"

namespace rt {
namespace {

using testing::Pixel;
using Pixels = std::set<Pixel>;

constexpr double kPi = 3.141592653589793;

class DrawCircleTest : public testing::Mode12Test {
 protected:
  // What the application passes: an absolute centre, a radius and a colour.
  void circle(double x, double y, double radius) {
    drawCircle(x, y, radius, 0, 0, 0, 15, kCircleColor);
  }

  // Lit pixels as offsets from (cx, cy).
  Pixels offsetsFrom(int cx, int cy) {
    Pixels offsets;
    for (const Pixel& p : litPixels()) offsets.insert({p.first - cx, p.second - cy});
    return offsets;
  }
};

// Every sign combination of the given offsets.
Pixels mirrored(const std::vector<Pixel>& offsets) {
  Pixels all;
  for (const Pixel& p : offsets) {
    for (int sx : {1, -1}) {
      for (int sy : {1, -1}) all.insert({sx * p.first, sy * p.second});
    }
  }
  return all;
}

TEST_F(DrawCircleTest, DrawCircle_FullCirclesSetExactlyTheTablePixels) {
  struct Case {
    int radius;
    size_t count;
    std::vector<Pixel> offsets;
  } cases[] = {
      {0, 1, {{0, 0}}},
      {1, 4, {{1, 0}, {0, 1}}},
      {2, 12, {{2, 0}, {2, 1}, {1, 2}, {0, 2}}},
      {3, 16, {{3, 0}, {3, 1}, {2, 2}, {1, 3}, {0, 3}}},
      {4, 20, {{4, 0}, {4, 1}, {3, 2}, {2, 3}, {1, 4}, {0, 4}}},
      {5, 28, {{5, 0}, {5, 1}, {5, 2}, {4, 3}, {3, 4}, {2, 5}, {1, 5}, {0, 5}}},
      {6, 36, {{6, 0}, {6, 1}, {6, 2}, {5, 3}, {5, 4}, {4, 5}, {3, 5}, {2, 6}, {1, 6}, {0, 6}}},
  };
  for (const Case& c : cases) {
    fill(0);
    circle(100, 100, c.radius);
    const Pixels expected = mirrored(c.offsets);
    EXPECT_EQ(expected.size(), c.count) << c.radius;
    EXPECT_EQ(offsetsFrom(100, 100), expected) << "radius " << c.radius;
  }
}

TEST_F(DrawCircleTest, DrawCircle_ApplicationMarkerLeavesThePenOnTheCentre) {
  screen().drawColor = 0;
  drawCircle(78, 407, 3, 0, 0, 0, 12, kCircleColor);
  EXPECT_EQ(offsetsFrom(78, 407), mirrored({{3, 0}, {3, 1}, {2, 2}, {1, 3}, {0, 3}}));
  EXPECT_EQ(pixel(81, 407), 12);
  EXPECT_EQ(screen().penX, 78.0f);
  EXPECT_EQ(screen().penY, 407.0f);
  EXPECT_EQ(screen().drawColor, 12u);
}

TEST_F(DrawCircleTest, DrawCircle_NegativeStartDrawsThreeQuarterArcWithRadiusLine) {
  drawCircle(200, 200, 5, -kPi / 2, 0, 0, 15, kCircleColor | kCircleStart);
  // From the top through the left and the bottom to the right-hand point. The quarter angles
  // tested lead the plotted point, so (-1, -5) next to the top falls outside the arc.
  Pixels expected = mirrored({{5, 0}, {5, 1}, {5, 2}, {4, 3}, {3, 4}, {2, 5}, {1, 5}, {0, 5}});
  for (Pixel gone : std::vector<Pixel>{{-1, -5}, {2, -5}, {3, -4}, {4, -3}, {5, -2}, {5, -1}}) {
    expected.erase(gone);
  }
  // The radius line ends 4 pixels above the centre, one short of the arc's top pixel.
  for (int dy = 0; dy >= -4; --dy) expected.insert({0, dy});
  EXPECT_EQ(offsetsFrom(200, 200), expected);
}

TEST_F(DrawCircleTest, DrawCircle_NegativeEndDrawsItsRadiusLine) {
  drawCircle(200, 200, 5, 0, -kPi, 0, 15, kCircleColor | kCircleStart | kCircleEnd);
  const Pixels lit = offsetsFrom(200, 200);
  // cos(pi) * 5 + 0.5 truncates to -4: the line stops one pixel short of the arc.
  for (int dx = 0; dx >= -4; --dx) EXPECT_TRUE(lit.count({dx, 0})) << dx;
  EXPECT_TRUE(lit.count({-5, 0}));
  EXPECT_FALSE(lit.count({0, 5}));  // the bottom is not on the arc from 0 to pi
  EXPECT_TRUE(lit.count({0, -5}));
}

TEST_F(DrawCircleTest, DrawCircle_StartAboveEndDrawsTheComplementaryArc) {
  drawCircle(200, 200, 5, kPi, kPi / 2, 0, 15, kCircleColor | kCircleStart | kCircleEnd);
  Pixels expected = mirrored({{5, 0}, {5, 1}, {5, 2}, {4, 3}, {3, 4}, {2, 5}, {1, 5}, {0, 5}});
  for (Pixel gone : std::vector<Pixel>{{-5, -2}, {-5, -1}, {-4, -3}, {-3, -4}, {-2, -5}}) {
    expected.erase(gone);
  }
  EXPECT_EQ(offsetsFrom(200, 200), expected);
}

TEST_F(DrawCircleTest, DrawCircle_AspectSqueezesIntoAnEllipse) {
  struct Case {
    double aspect;
    int halfWidth, halfHeight;
  } cases[] = {{0.5, 10, 5}, {2.0, 5, 10}, {-0.5, 10, 5}, {-2.0, 10, 10}, {1.0, 10, 10}};
  for (const Case& c : cases) {
    fill(0);
    drawCircle(300, 200, 10, 0, 0, c.aspect, 15, kCircleColor | kCircleAspect);
    int minX = 99, maxX = -99, minY = 99, maxY = -99;
    for (const Pixel& p : offsetsFrom(300, 200)) {
      minX = std::min(minX, p.first), maxX = std::max(maxX, p.first);
      minY = std::min(minY, p.second), maxY = std::max(maxY, p.second);
    }
    EXPECT_EQ(maxX, c.halfWidth) << c.aspect;
    EXPECT_EQ(-minX, c.halfWidth) << c.aspect;
    EXPECT_EQ(maxY, c.halfHeight) << c.aspect;
    EXPECT_EQ(-minY, c.halfHeight) << c.aspect;
  }
}

TEST_F(DrawCircleTest, DrawCircle_DefaultAspectFollowsTheMode) {
  setScreenMode(13, 0, 0, 0, 0, kGivenMode);  // 320 x 200: circles are squeezed to 5/6
  drawCircle(100, 100, 6, 0, 0, 0, 15, kCircleColor);
  int maxY = 0;
  for (int y = 0; y < 200; ++y) {
    for (int x = 0; x < 320; ++x) {
      if (screen().pixels[y * 320 + x] != 0) maxY = std::max(maxY, y - 100);
    }
  }
  EXPECT_EQ(maxY, 5);
}

TEST_F(DrawCircleTest, DrawCircle_ClipsPointByPointAtTheEdge) {
  circle(0, 0, 3);
  EXPECT_EQ(litPixels(), (Pixels{{3, 0}, {3, 1}, {2, 2}, {1, 3}, {0, 3}}));
  fill(0);
  circle(639, 479, 1);
  EXPECT_EQ(litPixels(), (Pixels{{638, 479}, {639, 478}}));
}

TEST_F(DrawCircleTest, DrawCircle_WhollyOutsideChangesNothingButThePen) {
  screen().drawColor = 7;
  circle(-20, -20, 5);
  circle(700, 100, 50);
  EXPECT_TRUE(litPixels().empty());
  EXPECT_EQ(screen().drawColor, 7u);
  EXPECT_EQ(screen().penX, 700.0f);
  EXPECT_EQ(pendingError, 0u);
}

TEST_F(DrawCircleTest, DrawCircle_RelativeCentreAndForegroundColour) {
  screen().penX = 50;
  screen().penY = 50;
  screen().foreColor = 5;
  drawCircle(10, -5, 1, 0, 0, 0, 0, kCircleRelative);
  EXPECT_EQ(offsetsFrom(60, 45), mirrored({{1, 0}, {0, 1}}));
  EXPECT_EQ(pixel(61, 45), 5);
  EXPECT_EQ(screen().penX, 60.0f);
}

TEST_F(DrawCircleTest, DrawCircle_BadArgumentsAreIllegal) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    const char* what;
    double x, y, radius, start, end;
    int32_t given;
  } cases[] = {
      {"start above two pi", 100, 100, 5, 7, 0, kCircleStart},
      {"end below minus two pi", 100, 100, 5, 0, -7, kCircleEnd},
      {"start not a number", 100, 100, 5, nan, 0, kCircleStart},
      {"radius not a number", 100, 100, nan, 0, 0, 0},
      {"radius infinite", 100, 100, inf, 0, 0, 0},
      {"radius beyond any surface", 100, 100, 1e30, 0, 0, 0},
      {"centre not a number", nan, 100, 5, 0, 0, 0},
  };
  for (const Case& c : cases) {
    pendingError = 0;
    screen().drawColor = 7;
    drawCircle(c.x, c.y, c.radius, c.start, c.end, 0, 15, c.given | kCircleColor);
    EXPECT_EQ(pendingError, 5u) << c.what;
    EXPECT_EQ(screen().drawColor, 7u) << c.what;
  }
  EXPECT_TRUE(litPixels().empty());
}

TEST_F(DrawCircleTest, DrawCircle_TwoPiAndItsNegativeAreAccepted) {
  drawCircle(100, 100, 2, -6.283185307179586, 6.283185307179586, 0, 15,
             kCircleColor | kCircleStart | kCircleEnd);
  EXPECT_EQ(pendingError, 0u);
  EXPECT_TRUE(litPixels().count({102, 100}));  // the radius line to angle two pi ends on it
  EXPECT_TRUE(litPixels().count({101, 100}));
}

TEST_F(DrawCircleTest, DrawCircle_OnTheTextScreenOrWithAnErrorPending) {
  pendingError = 62;
  circle(100, 100, 5);
  EXPECT_TRUE(litPixels().empty());
  EXPECT_EQ(screen().penX, 320.0f);
  pendingError = 0;
  initScreen();
  circle(10, 10, 5);
  EXPECT_EQ(pendingError, 5u);
}

}  // namespace
}  // namespace rt
