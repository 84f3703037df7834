// Drawing primitives — single pixels, the coordinate mapping every primitive shares and
// the clipped pixel store.
//
// Primitives draw into the write surface. Coordinates are 32-bit floats in the surface's
// coordinate mode: 0 plain pixels, 1 a view (clip rectangle viewX1..viewY2 plus an offset), 2 a
// view with a world-coordinate window (scale and offset). They become pixels by roundToInteger
// (ties to even: 2.5 -> 2, 3.5 -> 4). The graphics cursor (penX, penY) is the last point drawn,
// kept before any mapping. Pixel values are stored through the surface's colorMask.
//
// Every operation returns at once while a runtime error is pending; drawing on a text surface
// is error 5. ProgramThread only; nothing blocks.
#pragma once

#include <cstdint>

#include "runtime/screen/image_surface.h"
#include "runtime/screen/shared_raster.h"

namespace rt {

// Bits of setPixel's `given`.
inline constexpr int32_t kPixelRelative = 1;  // x, y are added to the pen
inline constexpr int32_t kPixelColor = 2;     // otherwise foreColor

// Sets one pixel and moves the pen there. Outside the surface (mode 0) or the clip rectangle
// (modes 1 and 2) nothing is drawn.
void setPixel(float x, float y, uint32_t color, int32_t given);

// The value of the read surface's pixel at (x, y) in its coordinate mode: the palette index on
// one-byte surfaces, 0xAARRGGBB on 32-bit ones; -1 outside the surface (mode 0) or the clip
// rectangle (modes 1 and 2). Error 5 on a text surface. Recorded text cells under the point are
// drawn first, so the value is what step-by-step drawing left there.
int64_t readPixel(float x, float y);

// Pixel coordinates of a point in the surface's coordinate mode, for lines and boxes. Mode 2
// rounds the product and the sum to 32-bit floats before rounding to an integer. Coordinates
// far beyond any surface saturate at +-2^52, so that a point off to the right never turns into
// one off to the left, and clipping arithmetic stays exact.
int64_t mapX(const ImageSurface& s, float x);
int64_t mapY(const ImageSurface& s, float y);

// Unchecked store into the write surface `s` (callers clip first): one-byte surfaces directly,
// others through writePixel.
inline void storePixel(ImageSurface& s, int64_t x, int64_t y, uint32_t color) {
  if (s.bytesPerPixel == 1) {
    storeSharedByte(s.pixels + static_cast<size_t>(y) * s.width + static_cast<size_t>(x),
                    static_cast<uint8_t>(color & s.colorMask));
  } else {
    writePixel(static_cast<int32_t>(x), static_cast<int32_t>(y), color);
  }
}

// Stores the pixel only when it lies inside the clip rectangle of the write surface `s`.
inline void plotClipped(ImageSurface& s, int64_t x, int64_t y, uint32_t color) {
  if (x >= s.viewX1 && x <= s.viewX2 && y >= s.viewY1 && y <= s.viewY2) storePixel(s, x, y, color);
}

}  // namespace rt
