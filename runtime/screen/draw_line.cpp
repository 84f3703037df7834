// Lines, box outlines and filled boxes: clipping, the float line walk and row fills.
#include "runtime/screen/draw_line.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>

#include "runtime/core/errors.h"
#include "runtime/core/rounding.h"
#include "runtime/screen/cell_records.h"
#include "runtime/screen/draw_pixel.h"
#include "runtime/screen/image_surface.h"
#include "runtime/screen/shared_raster.h"

namespace rt {
namespace {

int64_t styleSkip = 0;  // lineStyleSkip: kept between calls, set afresh by every clip

bool inside(int64_t x, int64_t y, const ClipRect& c) {
  return x >= c.x1 && x <= c.x2 && y >= c.y1 && y <= c.y2;
}

// A clip intersection becomes a pixel through a 32-bit float.
int64_t roundThroughFloat(double v) { return roundToInteger(static_cast<float>(v)); }

// Moves the outside point (x, y) along the line towards (ox, oy) onto the first rectangle edge
// the line crosses there. False when the line misses the rectangle on that side.
bool moveOntoEdge(int64_t& x, int64_t& y, int64_t ox, int64_t oy, const ClipRect& c) {
  // Slopes per unit of the other axis; a zero divisor gives an infinity of the right sign.
  const double mx = static_cast<double>(ox - x) / static_cast<double>(std::abs(oy - y));
  const double my = static_cast<double>(oy - y) / static_cast<double>(std::abs(ox - x));
  const auto within = [](double v, int32_t low, int32_t high) { return v >= low && v <= high; };
  if (x > c.x2 && mx < 0) {
    const double yc = static_cast<double>(y) + static_cast<double>(x - c.x2) * my;
    if (within(yc, c.y1, c.y2)) {
      x = c.x2;
      y = roundThroughFloat(yc);
      return true;
    }
  }
  if (x < c.x1 && mx > 0) {
    const double yc = static_cast<double>(y) + static_cast<double>(c.x1 - x) * my;
    if (within(yc, c.y1, c.y2)) {
      x = c.x1;
      y = roundThroughFloat(yc);
      return true;
    }
  }
  if (y < c.y1 && my > 0) {
    const double xc = static_cast<double>(x) + static_cast<double>(c.y1 - y) * mx;
    if (within(xc, c.x1, c.x2)) {
      x = roundThroughFloat(xc);
      y = c.y1;
      return true;
    }
  }
  if (y > c.y2 && my < 0) {
    const double xc = static_cast<double>(x) + static_cast<double>(y - c.y2) * mx;
    if (within(xc, c.x1, c.x2)) {
      x = roundThroughFloat(xc);
      y = c.y2;
      return true;
    }
  }
  return false;
}

// Halves round away from zero, unlike roundToInteger.
int64_t roundAway(float v) {
  return static_cast<int64_t>(v < 0 ? std::trunc(static_cast<double>(v) - 0.5)
                                    : std::trunc(static_cast<double>(v) + 0.5));
}

// Walks a clipped line along its major axis; the minor coordinate is a 32-bit float advanced by
// a 32-bit float slope. `pattern` is rotated left once per pixel and bit 0 says whether to
// draw. The rounded minor coordinate is kept within the line's own extent: float error on a very
// long line must never carry a store outside the clip rectangle.
void walkLine(ImageSurface& s, const LineEnds& e, uint32_t color, uint32_t pattern) {
  revealCells(s, std::min(e.x1, e.x2), std::min(e.y1, e.y2), std::max(e.x1, e.x2), std::max(e.y1, e.y2));
  const int64_t dx = std::abs(e.x1 - e.x2), dy = std::abs(e.y1 - e.y2);
  if (dx > dy) {
    const int64_t step = e.x2 >= e.x1 ? 1 : -1;
    const int64_t low = std::min(e.y1, e.y2), high = std::max(e.y1, e.y2);
    const auto m = static_cast<float>(static_cast<double>(e.y2 - e.y1) / static_cast<double>(dx));
    auto y = static_cast<float>(e.y1);
    int64_t x = e.x1;
    for (int64_t k = 0; k <= dx; ++k) {
      pattern = std::rotl(pattern, 1);
      if (pattern & 1) storePixel(s, x, std::clamp(roundAway(y), low, high), color);
      x += step;
      y = y + m;
    }
  } else {
    const int64_t step = e.y2 >= e.y1 ? 1 : -1;
    const int64_t low = std::min(e.x1, e.x2), high = std::max(e.x1, e.x2);
    const float m =
        dy != 0 ? static_cast<float>(static_cast<double>(e.x2 - e.x1) / static_cast<double>(dy))
                : 0.0f;
    auto x = static_cast<float>(e.x1);
    int64_t y = e.y1;
    for (int64_t k = 0; k <= dy; ++k) {
      pattern = std::rotl(pattern, 1);
      if (pattern & 1) storePixel(s, std::clamp(roundAway(x), low, high), y, color);
      y += step;
      x = x + m;
    }
  }
}

// Fills the clamped rectangle x1..x2, y1..y2 (inclusive, inside the surface).
void fillRows(ImageSurface& s, int64_t x1, int64_t y1, int64_t x2, int64_t y2, uint32_t color) {
  revealCells(s, x1, y1, x2, y2);
  const auto columns = static_cast<size_t>(x2 - x1 + 1);
  if (s.bytesPerPixel == 1) {
    const auto value = static_cast<uint8_t>(color & s.colorMask);
    uint8_t* row = s.pixels + static_cast<size_t>(y1) * s.width + static_cast<size_t>(x1);
    for (int64_t y = y1; y <= y2; ++y, row += s.width) fillSharedBytes(row, value, columns);
    return;
  }
  if (s.bytesPerPixel != 4) return;
  const uint32_t alpha = color >> 24;
  if (!s.alphaDisabled && alpha == 0) return;
  if (s.alphaDisabled || alpha == 255) {
    for (int64_t y = y1; y <= y2; ++y) {
      uint32_t* row = reinterpret_cast<uint32_t*>(s.pixels) + static_cast<size_t>(y) * s.width;
      fillShared32(row + x1, color, columns);
    }
    return;
  }
  // Translucent fills blend pixel by pixel, by writePixel's rule.
  for (int64_t y = y1; y <= y2; ++y) {
    for (int64_t x = x1; x <= x2; ++x) {
      writePixel(static_cast<int32_t>(x), static_cast<int32_t>(y), color);
    }
  }
}

}  // namespace

ClipRect clipRectOf(const ImageSurface& s) { return {s.viewX1, s.viewY1, s.viewX2, s.viewY2}; }

int64_t lineStyleSkip() { return styleSkip; }

bool clipLine(LineEnds& e, const ClipRect& c) {
  styleSkip = 0;
  if (inside(e.x1, e.y1, c)) {
    if (e.x1 == e.x2 && e.y1 == e.y2) return true;
  } else {
    const bool same = e.x1 == e.x2 && e.y1 == e.y2;
    if (same || (e.x1 < c.x1 && e.x2 < c.x1) || (e.x1 > c.x2 && e.x2 > c.x2) ||
        (e.y1 < c.y1 && e.y2 < c.y1) || (e.y1 > c.y2 && e.y2 > c.y2)) {
      return false;
    }
    const int64_t oldX = e.x1, oldY = e.y1;
    if (!moveOntoEdge(e.x1, e.y1, e.x2, e.y2, c)) return false;
    styleSkip = std::max(std::abs(oldX - e.x1), std::abs(oldY - e.y1));
  }
  if (inside(e.x2, e.y2, c)) return true;
  return moveOntoEdge(e.x2, e.y2, e.x1, e.y1, c);
}

void styledLine(float x1, float y1, float x2, float y2, uint32_t color, int32_t style) {
  ImageSurface& s = *writeSurface();
  LineEnds e{mapX(s, x1), mapY(s, y1), mapX(s, x2), mapY(s, y2)};
  const bool visible = clipLine(e, clipRectOf(s));
  const uint32_t bits = static_cast<uint32_t>(style) & 0xFFFF;
  styleSkip &= 15;
  const uint32_t pattern = std::rotl(bits | bits << 16, static_cast<int>(styleSkip));
  if (visible) walkLine(s, e, color, pattern);
}

void solidLine(int64_t x1, int64_t y1, int64_t x2, int64_t y2, uint32_t color) {
  ImageSurface& s = *writeSurface();
  LineEnds e{x1, y1, x2, y2};
  if (clipLine(e, clipRectOf(s))) walkLine(s, e, color, 0xFFFFFFFFu);
}

void fillBox(float x1, float y1, float x2, float y2, uint32_t color) {
  ImageSurface& s = *writeSurface();
  int64_t left = mapX(s, x1), top = mapY(s, y1), right = mapX(s, x2), bottom = mapY(s, y2);
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  if (right < s.viewX1 || left > s.viewX2 || bottom < s.viewY1 || top > s.viewY2) return;
  left = std::max<int64_t>(left, s.viewX1);
  top = std::max<int64_t>(top, s.viewY1);
  right = std::min<int64_t>(right, s.viewX2);
  bottom = std::min<int64_t>(bottom, s.viewY2);
  fillRows(s, left, top, right, bottom, color);
}

void drawLine(float x1, float y1, float x2, float y2, uint32_t color, int32_t kind, int32_t style,
              int32_t given) {
  if (errorIsPending()) return;
  ImageSurface* surface = writeSurface();
  if (surface == nullptr) return;
  ImageSurface& s = *surface;
  if (s.isText) return raiseError(5);
  if (given & kLineFirstPoint) {
    if (given & kLineFirstRelative) {
      x1 += s.penX;
      y1 += s.penY;
    }
    s.penX = x1;
    s.penY = y1;
  } else {
    x1 = s.penX;
    y1 = s.penY;
  }
  if (given & kLineSecondRelative) {
    x2 += s.penX;
    y2 += s.penY;
  }
  s.penX = x2;
  s.penY = y2;
  if (!(given & kLineStyle)) style = 0xFFFF;
  if (!(given & kLineColor)) color = s.foreColor;
  s.drawColor = color;

  switch (kind) {
    case kLineSegment: styledLine(x1, y1, x2, y2, color, style); break;
    case kLineBox:
      styledLine(x1, y1, x2, y1, color, style);
      styledLine(x2, y1, x2, y2, color, style);
      styledLine(x2, y2, x1, y2, color, style);
      styledLine(x1, y2, x1, y1, color, style);
      break;
    case kLineFilledBox: fillBox(x1, y1, x2, y2, color); break;
    default: break;
  }
}

}  // namespace rt
