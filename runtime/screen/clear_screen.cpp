// Clearing the write surface: the whole surface, the view, or the text viewport.
#include <algorithm>

#include "runtime/core/errors.h"
#include "runtime/screen/cell_records.h"
#include "runtime/screen/draw_line.h"
#include "runtime/screen/glyph_draw.h"
#include "runtime/screen/image_surface.h"
#include "runtime/screen/shared_raster.h"
#include "runtime/screen/text_output.h"

namespace rt {
namespace {

// Text rows first..last (1-based, inclusive) become spaces with the fill as background.
void clearCells(ImageSurface& s, int first, int last, uint32_t fill) {
  first = std::max(first, 1);
  last = std::min<int>(last, s.height);
  const uint8_t attribute = textAttribute(s.foreColor, fill);
  for (int row = first; row <= last; ++row) {
    uint8_t* cell = s.pixels + static_cast<size_t>(row - 1) * s.width * 2;
    for (size_t column = 0; column < s.width; ++column) {
      storeSharedByte(cell + 2 * column, ' ');
      storeSharedByte(cell + 2 * column + 1, attribute);
    }
  }
}

// Pixels x1..x2, y1..y2 (inclusive, clamped to the surface) get the fill as it is: a byte on
// one-byte surfaces, the whole colour on 32-bit ones. Clearing replaces; it never blends.
void clearPixels(ImageSurface& s, int64_t x1, int64_t y1, int64_t x2, int64_t y2, uint32_t fill) {
  x1 = std::max<int64_t>(x1, 0);
  y1 = std::max<int64_t>(y1, 0);
  x2 = std::min<int64_t>(x2, s.width - 1);
  y2 = std::min<int64_t>(y2, s.height - 1);
  if (x1 > x2 || y1 > y2) return;
  revealCells(s, x1, y1, x2, y2);
  const auto columns = static_cast<size_t>(x2 - x1 + 1);
  for (int64_t y = y1; y <= y2; ++y) {
    const size_t at = static_cast<size_t>(y) * s.width + static_cast<size_t>(x1);
    if (s.bytesPerPixel == 1) {
      fillSharedBytes(s.pixels + at, static_cast<uint8_t>(fill), columns);
    } else if (s.bytesPerPixel == 4) {
      fillShared32(reinterpret_cast<uint32_t*>(s.pixels) + at, fill, columns);
    }
  }
}

void clearWholeSurface(ImageSurface& s, uint32_t fill) {
  if (s.isText) {
    clearCells(s, 1, s.height, fill);
  } else if (s.bytesPerPixel == 1) {
    revealAllCells(s);
    fillSharedBytes(s.pixels, static_cast<uint8_t>(fill), static_cast<size_t>(s.width) * s.height);
  } else {
    clearPixels(s, 0, 0, s.width - 1, s.height - 1, fill);
  }
}

void clearView(ImageSurface& s, uint32_t fill) {
  clearPixels(s, s.viewX1, s.viewY1, s.viewX2, s.viewY2, fill);
}

// With nothing given: the text viewport and the last row of a text screen; a whole one-byte
// surface, or the window extent within the view when a view or window is set.
void clearByDefault(ImageSurface& s, uint32_t fill) {
  if (s.isText) {
    clearCells(s, s.topRow, s.bottomRow, fill);
    clearCells(s, s.height, s.height, fill);
  } else if (s.bytesPerPixel == 1) {
    if (s.coordMode == 0) {
      clearWholeSurface(s, fill);
    } else {
      fillBox(s.windowX1, s.windowY1, s.windowX2, s.windowY2, fill);
    }
  } else if (s.coordMode == 0) {
    clearWholeSurface(s, fill);
  } else {
    clearView(s, fill);
  }
}

void clearTextViewport(ImageSurface& s, uint32_t fill) {
  if (s.isText) return clearCells(s, s.topRow, s.bottomRow, fill);
  const int cellHeight = fontHeight(s.font);
  clearPixels(s, 0, static_cast<int64_t>(s.topRow - 1) * cellHeight, s.width - 1,
              static_cast<int64_t>(s.bottomRow) * cellHeight - 1, fill);
}

// The pen goes to the middle of the view (in window coordinates when a window is set).
void centrePen(ImageSurface& s) {
  const int32_t halfWidth = (s.viewX2 - s.viewX1 + 1) / 2;
  const int32_t halfHeight = (s.viewY2 - s.viewY1 + 1) / 2;
  if (s.coordMode == 2) {
    s.penX = static_cast<float>(halfWidth) / s.scaleX + s.scaleOffsetX;
    s.penY = static_cast<float>(halfHeight) / s.scaleY + s.scaleOffsetY;
  } else {
    s.penX = static_cast<float>(halfWidth);
    s.penY = static_cast<float>(halfHeight);
  }
}

}  // namespace

void clearScreen(int32_t kind, uint32_t color, int32_t given) {
  if (errorIsPending()) return;
  ImageSurface* target = writeSurface();
  if (target == nullptr) return;
  ImageSurface& s = *target;
  uint32_t fill = s.backColor;
  if (given & kClearColor) {
    if (s.bytesPerPixel != 4 && color > s.colorMask) return raiseError(5);
    fill = color;
  }
  const bool kindGiven = given & kClearKind;
  if (kindGiven && (kind < 0 || kind > 2)) return raiseError(5);

  s.cursorRow = s.topRow;
  s.cursorColumn = 1;
  s.turnAngle = 0;
  s.drawScale = 1;
  if (s.isConsole) return;

  if (!kindGiven) {
    clearByDefault(s, fill);
  } else if (kind == 0) {
    clearWholeSurface(s, fill);
  } else if (kind == 1) {
    if (s.isText) return;
    clearView(s, fill);
  } else {
    return clearTextViewport(s, fill);
  }
  if (!s.isText) centrePen(s);
  // The function-key label line would be redrawn here; it stays off in this system.
}

}  // namespace rt
