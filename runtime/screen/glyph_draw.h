// Glyph cells: drawing one character cell into a surface, and the attribute byte of text cells.
// Internal to the text output (text_output.h is the public side) and the cell records.
// ProgramThread, except recordedGlyphRows, which the frame builder also uses (any thread).
#pragma once

#include <cstdint>

namespace rt {

struct ImageSurface;

// Draws character `code` (low 8 bits) into the cell at the surface's cursor with its colours,
// font and printMode. A cell that does not lie wholly inside the surface is not drawn. An opaque
// glyph on a surface that records cells is recorded instead (cell_records.h).
void drawGlyphOn(ImageSurface& surface, uint32_t code);

// Draws the recorded cell `word` at cell (column, row), both 0-based, into the pixels.
void drawRecordedCell(ImageSurface& surface, int32_t column, int32_t row, uint32_t word);

// The first of the glyph rows (8 bytes each) that a cell word with `cellRows` rows draws.
const uint8_t* recordedGlyphRows(int cellRows, uint8_t code);

// The attribute byte of a text cell: foreground AND 15 in bits 0..3, background AND 7 in bits
// 4..6, foreground bit 4 (blink) in bit 7.
inline uint8_t textAttribute(uint32_t fore, uint32_t back) {
  return static_cast<uint8_t>((fore & 15) | (back & 7) << 4 | (fore & 16) << 3);
}

}  // namespace rt
