// Text screens: character cells drawn from the built-in fonts into a copy of the previous
// frame, redrawing only the cells that changed.
#include <cstring>

#include "runtime/core/display_pause.h"
#include "runtime/display/frame_builder.h"
#include "runtime/platform/message_box.h"
#include "runtime/screen/glyph_tables.h"
#include "runtime/screen/image_surface.h"
#include "runtime/screen/shared_raster.h"

namespace rt {
namespace {

struct CellFont {
  const uint8_t* glyphs;  // first row of glyph 0
  int glyphBytes;         // bytes from one glyph to the next
  int width, height;      // cell size in pixels
  bool doubleWidth;       // each font column drawn twice
};

CellFont cellFontOf(int32_t font) {
  switch (font) {
    case 8: return {fontGlyphs8x8(), 64, 8, 8, false};
    case 9: return {fontGlyphs8x8(), 64, 16, 8, true};
    case 14: return {fontGlyphs8x16() + 8, 128, 8, 14, false};
    case 15: return {fontGlyphs8x16() + 8, 128, 16, 14, true};
    case 17: return {fontGlyphs8x16(), 128, 16, 16, true};
    default: return {fontGlyphs8x16(), 128, 8, 16, false};
  }
}

struct CellColors {
  uint32_t fore, back, cursor;
};

void drawCell(uint32_t* frame, int frameWidth, const CellFont& font, int column, int row,
              uint8_t code, CellColors colors, int cursorFirst, int cursorLast) {
  const uint8_t* glyph = font.glyphs + code * font.glyphBytes;
  uint32_t* origin = frame + static_cast<size_t>(row) * font.height * frameWidth + column * font.width;
  for (int y = 0; y < font.height; ++y) {
    uint32_t* out = origin + static_cast<size_t>(y) * frameWidth;
    if (y >= cursorFirst && y <= cursorLast) {
      for (int x = 0; x < font.width; ++x) out[x] = colors.cursor;
      continue;
    }
    for (int x = 0; x < font.width; ++x) {
      out[x] = glyph[y * 8 + (font.doubleWidth ? x / 2 : x)] != 0 ? colors.fore : colors.back;
    }
  }
}

// The last published frame, if it is still held by the ring with the same size.
const DisplayFrame* findFrame(FrameRing& ring, uint64_t order, int width, int height) {
  for (int i = 0; i < FrameRing::kFrames; ++i) {
    DisplayFrame& f = ring.frame(i);
    FrameState state = f.state.load(std::memory_order_acquire);
    if ((state == FrameState::Ready || state == FrameState::Showing) &&
        f.order.load(std::memory_order_relaxed) == order && f.width == width && f.height == height) {
      return &f;
    }
  }
  return nullptr;
}

}  // namespace

FrameBuilder::Outcome FrameBuilder::convertText(DisplayFrame& frame, const ImageSurface& s,
                                                uint32_t counter) {
  const CellFont font = cellFontOf(s.font);
  const int columns = s.width, rows = s.height;
  const int frameWidth = columns * font.width, frameHeight = rows * font.height;
  const size_t cellBytes = static_cast<size_t>(columns) * rows * 2;
  const bool blinkOn = (counter & 8) == 0;
  // The cursor fields change under our feet: each is read once, so that the whole pass (and
  // what it remembers for the next one) sees one cursor.
  const int cursorRow = s.cursorRow, cursorColumn = s.cursorColumn;
  const int cursorFirstLine = s.cursorFirstLine, cursorLastLine = s.cursorLastLine;
  const bool cursorDrawn = s.cursorVisible != 0 && blinkOn && cursorRow >= 1 && cursorRow <= rows &&
                           cursorColumn >= 1 && cursorColumn <= columns;
  const bool cursorMoved = cursorDrawn != lastCursorDrawn_ || cursorRow != lastCursorRow_ ||
                           cursorColumn != lastCursorColumn_;

  copyShared32(livePalette_.data(), s.palette, 16);
  bool full = cellBytes != pixelSnapshot_.size() || previousFrameValid.load(std::memory_order_relaxed) == 0 ||
              forceFrameRebuild.load(std::memory_order_relaxed) != 0 ||
              std::memcmp(paletteSnapshot_.data(), livePalette_.data(), 16 * 4) != 0;
  if (!full && !cursorMoved && blinkOn == lastBlinkOn_ && sharedBytesEqual(s.pixels, pixelSnapshot_.data(), cellBytes)) {
    return Outcome::Discard;
  }
  if (!frame.ensureSize(frameWidth, frameHeight)) return Outcome::Discard;
  if (!full) {
    const DisplayFrame* previous =
        lastRing_ != nullptr ? findFrame(*lastRing_, lastPublishedOrder_, frameWidth, frameHeight) : nullptr;
    if (previous == nullptr) {
      showMessageBox("Error", "Text Screen Update: Failed to locate previous frame's data for comparison",
                     MessageBoxButtons::Ok);
      full = true;
    } else {
      std::memcpy(frame.pixels, previous->pixels, static_cast<size_t>(frameWidth) * frameHeight * 4);
    }
  }
  if (pixelSnapshot_.size() != cellBytes) pixelSnapshot_.assign(cellBytes, 0);
  std::memcpy(paletteSnapshot_.data(), livePalette_.data(), 16 * 4);
  liveCells_.resize(cellBytes);
  copySharedBytes(liveCells_.data(), s.pixels, cellBytes);

  for (int row = 0; row < rows; ++row) {
    for (int column = 0; column < columns; ++column) {
      size_t at = (static_cast<size_t>(row) * columns + column) * 2;
      uint8_t code = liveCells_[at], attribute = liveCells_[at + 1];
      bool blinking = (attribute & 0x80) != 0;
      bool isCursorCell = row + 1 == cursorRow && column + 1 == cursorColumn;
      bool wasCursorCell = row + 1 == lastCursorRow_ && column + 1 == lastCursorColumn_;
      bool redraw = full || code != pixelSnapshot_[at] || attribute != pixelSnapshot_[at + 1] ||
                    (blinking && blinkOn != lastBlinkOn_) ||
                    (cursorMoved && (isCursorCell || wasCursorCell));
      if (!redraw) continue;
      uint32_t fore = paletteSnapshot_[attribute & 15];
      CellColors colors{fore, paletteSnapshot_[(attribute >> 4) & 7], fore};
      if (blinking && !blinkOn) colors.fore = colors.back;
      int first = 1, last = 0;  // no cursor band
      if (cursorDrawn && isCursorCell) {
        first = cursorFirstLine;
        last = cursorLastLine < font.height ? cursorLastLine : font.height - 1;
      }
      drawCell(frame.pixels, frameWidth, font, column, row, code, colors, first, last);
      pixelSnapshot_[at] = code;
      pixelSnapshot_[at + 1] = attribute;
    }
  }
  lastBlinkOn_ = blinkOn;
  lastCursorDrawn_ = cursorDrawn;
  lastCursorRow_ = cursorRow;
  lastCursorColumn_ = cursorColumn;
  return Outcome::Publish;
}

}  // namespace rt
