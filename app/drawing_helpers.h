// Drawing in the plotter's own terms: absolute integer points and an attribute colour, so that
// each chart step reads as one call.
#pragma once

#include <cstdint>

namespace app {

// Full circle of `radius` around (x, y) in `color`.
void circle(int32_t x, int32_t y, int32_t radius, int32_t color);
// One pixel at (x, y) in `color`.
void pixel(int32_t x, int32_t y, int32_t color);
// A line (kind 0), box or filled box between two absolute points in `color`.
void line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t color, int32_t kind);

}  // namespace app
