#include "runtime/display/view_mapping.h"

#include <gtest/gtest.h>

namespace rt {
namespace {

TEST(ViewMappingTest, MapsFramesOntoTheClientArea) {
  struct Case {
    const char* name;
    ViewInput in;
    ViewMapping expected;
  } cases[] = {
      {"same size: whole client, 1:1", {640, 480, 640, 480, 0, false, 0}, {0, 0, 639, 479, 1, 1, false, BarMode::None}},
      {"windowed, no stretch: frame size at the top-left", {640, 400, 640, 480, 0, false, 0}, {0, 0, 639, 479, 1, 1, false, BarMode::None}},
      {"windowed stretch", {1280, 960, 640, 480, 0, false, 1}, {0, 0, 1279, 959, 2, 2, false, BarMode::None}},
      {"windowed stretch smoothed", {1280, 960, 640, 480, 0, false, 2}, {0, 0, 1279, 959, 2, 2, true, BarMode::None}},
      {"full screen stretched", {1920, 1080, 640, 480, 1, false, 0}, {0, 0, 1919, 1079, 3, 2.25f, false, BarMode::None}},
      {"square pixels on 16:9: bars left and right", {1920, 1080, 640, 480, 2, true, 0}, {240, 0, 1679, 1079, 2.25f, 2.25f, true, BarMode::LeftRight}},
      {"square pixels on a tall screen: bars top and bottom", {1024, 1280, 640, 480, 2, false, 0}, {0, 256, 1023, 1023, 1.6f, 1.6f, false, BarMode::TopBottom}},
      {"square pixels, same ratio: no bars", {1280, 960, 640, 480, 2, false, 0}, {0, 0, 1279, 959, 2, 2, false, BarMode::None}},
  };
  for (const Case& c : cases) {
    ViewMapping m = computeViewMapping(c.in);
    EXPECT_EQ(m.left, c.expected.left) << c.name;
    EXPECT_EQ(m.top, c.expected.top) << c.name;
    EXPECT_EQ(m.right, c.expected.right) << c.name;
    EXPECT_EQ(m.bottom, c.expected.bottom) << c.name;
    EXPECT_FLOAT_EQ(m.scaleX, c.expected.scaleX) << c.name;
    EXPECT_FLOAT_EQ(m.scaleY, c.expected.scaleY) << c.name;
    EXPECT_EQ(m.smooth, c.expected.smooth) << c.name;
    EXPECT_EQ(m.bars, c.expected.bars) << c.name;
  }
}

}  // namespace
}  // namespace rt
