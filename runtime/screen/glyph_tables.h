// The built-in fonts' glyph tables, in IBM PC code page 437 order.
//
// Each table holds 256 glyphs in character-code order; a glyph is row-major, top row first,
// 8 bytes per row (leftmost pixel first), one byte per pixel: 0 background, 255 glyph. An 8x8
// glyph is 64 bytes (table of 16384 bytes), an 8x16 glyph 128 bytes (table of 32768 bytes).
// Font 8 draws from the 8x8 table, fonts 16 and 14 from the 8x16 one (14 skips the first row).
//
// The tables are built from compact bit rows on first use (thread-safe static initialisation)
// and live for the whole process; callers never free them. Any thread.
#pragma once

#include <cstdint>

namespace rt {

// The 8x8 table (16384 bytes).
const uint8_t* fontGlyphs8x8();
// The 8x16 table (32768 bytes).
const uint8_t* fontGlyphs8x16();

}  // namespace rt
