// Where the frame goes in the window: output rectangle, scale and bars.
#pragma once

#include <cstdint>

namespace rt {

struct ViewInput {
  int32_t clientWidth = 0, clientHeight = 0;
  int32_t frameWidth = 0, frameHeight = 0;
  int32_t fullScreenMode = 0;    // 0 windowed, 1 stretched, 2 square pixels
  bool fullScreenSmooth = false;  // smoothing option of the full-screen state
  int32_t resizeStretchMode = 0;  // windowed: 0 no scaling, 1 stretch, 2 stretch smoothed
};

enum class BarMode { None = 0, LeftRight = 1, TopBottom = 2 };

struct ViewMapping {
  int32_t left = 0, top = 0, right = 0, bottom = 0;  // output rectangle, inclusive
  float scaleX = 1, scaleY = 1;
  bool smooth = false;
  BarMode bars = BarMode::None;
};

// Computes the mapping of a frame onto the client area. Pure.
ViewMapping computeViewMapping(const ViewInput& in);

}  // namespace rt
