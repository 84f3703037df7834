// Small helpers that keep the plotter's steps close to their tables.
#pragma once

#include <cstdint>

#include "runtime/core/rt_string.h"

namespace app {

// A temporary over literal text.
rt::RtString* text(const char* literal);

// Prints one item at the cursor: the fit rule, then the text without a line end.
void printItem(rt::RtString* item);

// Moves the cursor to (row, column) and prints one item there.
void printAt(int32_t row, int32_t column, rt::RtString* item);

// Sets the foreground colour only.
void setForeground(int32_t color);

// Full circle of `radius` around (x, y) in `color`; a pixel; a line, box or filled box between
// two absolute points.
void circle(int32_t x, int32_t y, int32_t radius, int32_t color);
void pixel(int32_t x, int32_t y, int32_t color);
void line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t color, int32_t kind);

}  // namespace app
