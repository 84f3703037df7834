// Single pixels and the coordinate mapping of lines and boxes.
#include "runtime/screen/draw_pixel.h"

#include "runtime/core/errors.h"
#include "runtime/core/extended_precision.h"
#include "runtime/core/rounding.h"
#include "runtime/screen/cell_records.h"

namespace rt {
namespace {

constexpr long double kCoordinateLimit = 4503599627370496.0L;  // 2^52

// roundToInteger with saturation instead of the integer-indefinite value; NaN goes to the
// negative limit, as the indefinite value would.
int64_t pixelOf(long double v) {
  if (!(v >= -kCoordinateLimit)) return -static_cast<int64_t>(kCoordinateLimit);
  if (v > kCoordinateLimit) return static_cast<int64_t>(kCoordinateLimit);
  return roundToInteger(v);
}

// v * scale + scaleOffset with the x87's one rounding. The product of two floats is exact in
// every format; the sum with a float is exact in a wider one, or rounds to the larger term
// itself, never to a point halfway between two extended values.
long double extendedScaled(float v, float scale, float scaleOffset) {
  return toExtended(static_cast<long double>(v) * scale + scaleOffset);
}

int64_t mapCoordinate(uint8_t coordMode, float v, float scale, float scaleOffset,
                      int32_t viewOffset) {
  switch (coordMode) {
    case 1: return pixelOf(v) + viewOffset;
    case 2: {
      const float scaled = v * scale;             // rounded to a 32-bit float
      const float placed = scaled + scaleOffset;  // and again
      return pixelOf(placed) + viewOffset;
    }
    default: return pixelOf(v);
  }
}

}  // namespace

int64_t mapX(const ImageSurface& s, float x) {
  return mapCoordinate(s.coordMode, x, s.scaleX, s.scaleOffsetX, s.viewOffsetX);
}

int64_t mapY(const ImageSurface& s, float y) {
  return mapCoordinate(s.coordMode, y, s.scaleY, s.scaleOffsetY, s.viewOffsetY);
}

void setPixel(float x, float y, uint32_t color, int32_t given) {
  if (errorIsPending()) return;
  ImageSurface* surface = writeSurface();
  if (surface == nullptr) return;
  ImageSurface& s = *surface;
  if (s.isText) return raiseError(5);
  if (given & kPixelRelative) {
    s.penX += x;
    s.penY += y;
  } else {
    s.penX = x;
    s.penY = y;
  }
  if (!(given & kPixelColor)) color = s.foreColor;
  s.drawColor = color;

  int64_t px, py;
  if (s.coordMode == 0) {
    px = pixelOf(s.penX);
    py = pixelOf(s.penY);
    if (px < 0 || px >= s.width || py < 0 || py >= s.height) return;
  } else {
    if (s.coordMode == 2) {
      // Unlike lines and boxes, the product and sum stay in extended precision here.
      px = pixelOf(extendedScaled(s.penX, s.scaleX, s.scaleOffsetX)) + s.viewOffsetX;
      py = pixelOf(extendedScaled(s.penY, s.scaleY, s.scaleOffsetY)) + s.viewOffsetY;
    } else {
      px = pixelOf(s.penX) + s.viewOffsetX;
      py = pixelOf(s.penY) + s.viewOffsetY;
    }
    if (px < s.viewX1 || px > s.viewX2 || py < s.viewY1 || py > s.viewY2) return;
  }
  revealCells(s, px, py, px, py);
  storePixel(s, px, py, color);
}

int64_t readPixel(float x, float y) {
  if (errorIsPending()) return 0;
  ImageSurface* surface = readSurface();
  if (surface == nullptr) return 0;
  ImageSurface& s = *surface;
  if (s.isText) {
    raiseError(5);
    return 0;
  }
  const int64_t px = mapX(s, x), py = mapY(s, y);
  const bool inside = s.coordMode == 0 ? px >= 0 && px < s.width && py >= 0 && py < s.height
                                       : px >= s.viewX1 && px <= s.viewX2 && py >= s.viewY1 && py <= s.viewY2;
  if (!inside) return -1;
  // A recorded cell's pixels are stale until it is drawn.
  revealCells(s, px, py, px, py);
  const size_t at = static_cast<size_t>(py) * s.width + static_cast<size_t>(px);
  if (s.bytesPerPixel == 1) return s.pixels[at];
  return reinterpret_cast<const uint32_t*>(s.pixels)[at];
}

}  // namespace rt
