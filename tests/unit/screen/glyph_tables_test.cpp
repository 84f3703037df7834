#include "runtime/screen/glyph_tables.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

namespace rt {
namespace {

// One glyph of a table folded back into bit rows, leftmost pixel in the high bit.
std::vector<uint8_t> bitRows(const uint8_t* table, int rows, int code) {
  std::vector<uint8_t> result;
  const uint8_t* glyph = table + code * rows * 8;
  for (int r = 0; r < rows; ++r) {
    uint8_t bits = 0;
    for (int c = 0; c < 8; ++c) {
      if (glyph[r * 8 + c] != 0) bits = static_cast<uint8_t>(bits | 0x80 >> c);
    }
    result.push_back(bits);
  }
  return result;
}

struct GlyphCase {
  const char* what;
  int code;
  std::vector<uint8_t> rows8x16;
  std::vector<uint8_t> rows8x8;
};

TEST(GlyphTablesTest, CheckGlyphsMatchTheFontsBitForBit) {
  const GlyphCase cases[] = {
      {"capital A", 65,
       {0x00, 0x00, 0x10, 0x38, 0x6C, 0xC6, 0xC6, 0xFE,  //
        0xC6, 0xC6, 0xC6, 0xC6, 0x00, 0x00, 0x00, 0x00},
       {0x30, 0x78, 0xCC, 0xCC, 0xFC, 0xCC, 0xCC, 0x00}},
      {"smiling face", 1,
       {0x00, 0x00, 0x7E, 0x81, 0xA5, 0x81, 0x81, 0xBD,  //
        0x99, 0x81, 0x81, 0x7E, 0x00, 0x00, 0x00, 0x00},
       {0x7E, 0x81, 0xA5, 0x81, 0xBD, 0x99, 0x81, 0x7E}},
      {"vertical box line", 0xB3, std::vector<uint8_t>(16, 0x18), std::vector<uint8_t>(8, 0x18)},
      {"full block", 0xDB, std::vector<uint8_t>(16, 0xFF), std::vector<uint8_t>(8, 0xFF)},
      {"blank code 0", 0, std::vector<uint8_t>(16, 0x00), std::vector<uint8_t>(8, 0x00)},
      {"space", 32, std::vector<uint8_t>(16, 0x00), std::vector<uint8_t>(8, 0x00)},
  };
  for (const GlyphCase& c : cases) {
    EXPECT_EQ(bitRows(fontGlyphs8x16(), 16, c.code), c.rows8x16) << c.what << " in 8x16";
    EXPECT_EQ(bitRows(fontGlyphs8x8(), 8, c.code), c.rows8x8) << c.what << " in 8x8";
  }
}

TEST(GlyphTablesTest, EveryByteIsZeroOr255) {
  const std::array<std::pair<const uint8_t*, int>, 2> tables = {{{fontGlyphs8x8(), 16384},
                                                                 {fontGlyphs8x16(), 32768}}};
  for (const auto& [table, size] : tables) {
    int other = 0;
    for (int i = 0; i < size; ++i) other += table[i] != 0 && table[i] != 255;
    EXPECT_EQ(other, 0) << size;
  }
}

TEST(GlyphTablesTest, PrintableCodesHaveInkAndTheTablesAreDistinctGlyphs) {
  // Every visible character from '!' to '~' has ink in both fonts, and no two of them share a
  // glyph: catches a code page mapping shifted by one or a table filled with one glyph.
  const std::pair<const uint8_t*, int> tables[] = {{fontGlyphs8x8(), 8}, {fontGlyphs8x16(), 16}};
  for (const auto& [table, rows] : tables) {
    std::vector<std::vector<uint8_t>> seen;
    for (int code = '!'; code <= '~'; ++code) {
      std::vector<uint8_t> glyph = bitRows(table, rows, code);
      bool ink = false;
      for (uint8_t row : glyph) ink = ink || row != 0;
      EXPECT_TRUE(ink) << code << " in 8x" << rows;
      for (const auto& earlier : seen) EXPECT_NE(glyph, earlier) << code << " in 8x" << rows;
      seen.push_back(glyph);
    }
  }
}

}  // namespace
}  // namespace rt
