// Drawing one character cell from the built-in fonts.
//
// A glyph row is 8 bytes of 0 or 255, so on one-byte surfaces a whole row is combined with the
// colours as one 64-bit word: (glyph AND fore) OR (NOT glyph AND back), and printMode becomes a
// mask of the bytes written. Double-width fonts (9, 15, 17) draw every glyph pixel twice across.
// Stores into the surface go through shared_raster.h (the frame builder reads them meanwhile);
// a row word is one aligned store when the surface's width keeps cells on 8-byte boundaries.
#include "runtime/screen/glyph_draw.h"

#include <cstring>

#include "runtime/screen/cell_records.h"
#include "runtime/screen/glyph_tables.h"
#include "runtime/screen/image_surface.h"
#include "runtime/screen/shared_raster.h"

namespace rt {
namespace {

constexpr uint64_t kEveryByte = 0x0101010101010101ull;

struct GlyphRows {
  const uint8_t* first = nullptr;  // top row of the glyph, 8 bytes per row
  int rows = 0;
};

// Font 14 reads the 8x16 glyph from its second row, giving rows 1 to 14 of 16.
GlyphRows glyphRows(int32_t font, uint8_t code) {
  switch (font) {
    case 8:
    case 9: return {fontGlyphs8x8() + code * 64, 8};
    case 14:
    case 15: return {fontGlyphs8x16() + code * 128 + 8, 14};
    case 16:
    case 17: return {fontGlyphs8x16() + code * 128, 16};
    default: return {};
  }
}

uint64_t load8(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}

void store8(uint8_t* p, uint64_t v) { storeSharedWord(p, v); }

// True when every row of a cell starting at `line` lies on an 8-byte boundary.
bool rowsAligned(const uint8_t* line, size_t stride) { return isWordAligned(line) && stride % 8 == 0; }

// The 16 bytes of a double-width row: every glyph byte twice.
void widenRow(const uint8_t* row, uint8_t* wide) {
  for (int c = 0; c < 8; ++c) wide[2 * c] = wide[2 * c + 1] = row[c];
}

// The common case, opaque text in a narrow font on rows aligned to 8 bytes: one select and one
// aligned store per row, with the row count known at compile time so that the loop unrolls.
template <int Rows>
void drawOpaqueRows(uint8_t* line, size_t stride, const uint8_t* rows, uint64_t fore, uint64_t back) {
#pragma GCC unroll 16
  for (int r = 0; r < Rows; ++r, line += stride) {
    const uint64_t g = load8(rows + 8 * r);
    storeSharedAlignedWord(line, (g & fore) | (~g & back));
  }
}

bool drawOpaqueNarrow(uint8_t* line, size_t stride, GlyphRows glyph, uint64_t fore, uint64_t back) {
  switch (glyph.rows) {
    case 16: drawOpaqueRows<16>(line, stride, glyph.first, fore, back); return true;
    case 14: drawOpaqueRows<14>(line, stride, glyph.first, fore, back); return true;
    case 8: drawOpaqueRows<8>(line, stride, glyph.first, fore, back); return true;
    default: return false;
  }
}

// One-byte surfaces: the cell's rows as 64-bit words (two per row for double width).
void drawIndexed(ImageSurface& s, GlyphRows glyph, int x0, int y0, bool wide) {
  const uint64_t fore = (s.foreColor & s.colorMask & 0xFF) * kEveryByte;
  const uint64_t back = (s.backColor & s.colorMask & 0xFF) * kEveryByte;
  uint8_t* const origin = s.pixels + static_cast<size_t>(y0) * s.width + static_cast<size_t>(x0);
  if (!wide && s.printMode == 3 && rowsAligned(origin, s.width) &&
      drawOpaqueNarrow(origin, s.width, glyph, fore, back)) {
    return;
  }
  const uint64_t glyphBytes = (s.printMode & 1) ? ~0ull : 0;  // which bytes the mode writes
  const uint64_t backBytes = (s.printMode & 2) ? ~0ull : 0;
  const int words = wide ? 2 : 1;
  uint8_t* line = origin;
  uint8_t wideRow[16];
  for (int r = 0; r < glyph.rows; ++r, line += s.width) {
    const uint8_t* source = glyph.first + r * 8;
    if (wide) {
      widenRow(source, wideRow);
      source = wideRow;
    }
    for (int w = 0; w < words; ++w) {
      const uint64_t g = load8(source + 8 * w);
      const uint64_t value = (g & fore) | (~g & back);
      const uint64_t written = (g & glyphBytes) | (~g & backBytes);
      if (written == ~0ull) {
        store8(line + 8 * w, value);
      } else {
        store8(line + 8 * w, (value & written) | (load8(line + 8 * w) & ~written));
      }
    }
  }
}

// 32-bit surfaces: opaque colours are stored along the row; translucent ones blend through
// writePixel, the one place that knows the blending rule.
void drawTrueColor(ImageSurface& s, GlyphRows glyph, int x0, int y0, bool wide) {
  const int cellWidth = wide ? 16 : 8;
  auto opaque = [&](uint32_t color) { return s.alphaDisabled || (color >> 24) == 255; };
  const bool foreOpaque = opaque(s.foreColor), backOpaque = opaque(s.backColor);
  for (int r = 0; r < glyph.rows; ++r) {
    const uint8_t* source = glyph.first + r * 8;
    auto* line = reinterpret_cast<uint32_t*>(s.pixels) +
                 static_cast<size_t>(y0 + r) * s.width + static_cast<size_t>(x0);
    for (int c = 0; c < cellWidth; ++c) {
      const bool isGlyph = source[wide ? c / 2 : c] != 0;
      if (!(s.printMode & (isGlyph ? 1 : 2))) continue;
      const uint32_t color = isGlyph ? s.foreColor : s.backColor;
      if (isGlyph ? foreOpaque : backOpaque) {
        storeShared32(line + c, color);
      } else {
        writePixel(x0 + c, y0 + r, color);
      }
    }
  }
}

void drawTextCell(ImageSurface& s, uint8_t code) {
  if (s.cursorRow < 1 || s.cursorRow > s.height || s.cursorColumn < 1 || s.cursorColumn > s.width) {
    return;
  }
  uint8_t* cell = s.pixels + (static_cast<size_t>(s.cursorRow - 1) * s.width +
                              static_cast<size_t>(s.cursorColumn - 1)) * 2;
  storeSharedByte(cell, code);
  storeSharedByte(cell + 1, textAttribute(s.foreColor, s.backColor));
}

}  // namespace

const uint8_t* recordedGlyphRows(int cellRows, uint8_t code) {
  return glyphRows(cellRows == 8 ? 8 : cellRows == 14 ? 14 : 16, code).first;
}

void drawRecordedCell(ImageSurface& s, int32_t column, int32_t row, uint32_t word) {
  const int rows = cellRows(word);
  const GlyphRows glyph{recordedGlyphRows(rows, cellCode(word)), rows};
  const uint64_t fore = cellFore(word) * kEveryByte, back = cellBack(word) * kEveryByte;
  uint8_t* line = s.pixels + static_cast<size_t>(row * rows) * s.width + static_cast<size_t>(column) * 8;
  if (rowsAligned(line, s.width) && drawOpaqueNarrow(line, s.width, glyph, fore, back)) return;
  for (int r = 0; r < rows; ++r, line += s.width) {
    const uint64_t g = load8(glyph.first + 8 * r);
    store8(line, (g & fore) | (~g & back));
  }
}

void drawGlyphOn(ImageSurface& s, uint32_t code) {
  const auto byte = static_cast<uint8_t>(code);
  if (s.isText) return drawTextCell(s, byte);
  const GlyphRows glyph = glyphRows(s.font, byte);
  if (glyph.first == nullptr) return;  // loaded fonts draw through their own service
  const int cellWidth = fontWidth(s.font);
  const bool wide = cellWidth == 16;
  const int x0 = (s.cursorColumn - 1) * cellWidth;
  const int y0 = (s.cursorRow - 1) * glyph.rows;
  // A cursor outside the grid (or a surface smaller than one cell) must not write outside the
  // pixels: the cell is drawn only when it lies wholly inside.
  if (x0 < 0 || y0 < 0 || x0 + (wide ? 16 : 8) > s.width || y0 + glyph.rows > s.height) return;
  if (s.bytesPerPixel == 1) {
    if (recordsGlyphs(s)) {
      const auto fore = static_cast<uint8_t>(s.foreColor & s.colorMask);
      const auto back = static_cast<uint8_t>(s.backColor & s.colorMask);
      return recordCell(*s.cells, x0 / 8, y0 / glyph.rows, cellWord(byte, fore, back, glyph.rows));
    }
    // Drawn at once: a recorded cell here would otherwise cover it later.
    revealCells(s, x0, y0, x0 + (wide ? 15 : 7), y0 + glyph.rows - 1);
    drawIndexed(s, glyph, x0, y0, wide);
  } else if (s.bytesPerPixel == 4) {
    drawTrueColor(s, glyph, x0, y0, wide);
  }
}

}  // namespace rt
