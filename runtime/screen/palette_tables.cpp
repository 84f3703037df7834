// The built-in colour tables, computed once from their definitions.
//
// The hue rings are the standard VGA default 256-colour palette: three intensities, each at
// full, medium and low saturation, every ring running blue, magenta, red, yellow, green, cyan
// through five levels of its two varying components. Its 6-bit components become 8 bits as the
// nearest integer to c x 255 / 63.
#include <array>

#include "runtime/screen/palette.h"
#include "runtime/screen/shared_raster.h"

namespace rt {
namespace {

constexpr uint32_t kOpaque = 0xFF000000u;

constexpr uint32_t kDefault16[16] = {
    0x000000, 0x0000AA, 0x00AA00, 0x00AAAA, 0xAA0000, 0xAA00AA, 0xAA5500, 0xAAAAAA,
    0x555555, 0x5555FF, 0x55FF55, 0x55FFFF, 0xFF5555, 0xFF55FF, 0xFFFF55, 0xFFFFFF,
};

constexpr uint32_t kGreyRamp[16] = {
    0x000000, 0x141414, 0x202020, 0x2D2D2D, 0x393939, 0x454545, 0x515151, 0x616161,
    0x717171, 0x828282, 0x929292, 0xA2A2A2, 0xB6B6B6, 0xCACACA, 0xE3E3E3, 0xFFFFFF,
};

// The five 6-bit levels of each ring, from the darkest component value to the brightest:
// high intensity (full, medium, low saturation), then medium, then low intensity.
constexpr uint8_t kRingLevels[9][5] = {
    {0, 16, 31, 47, 63}, {31, 39, 47, 55, 63}, {45, 49, 54, 58, 63},
    {0, 7, 14, 21, 28},  {14, 17, 21, 24, 28}, {20, 22, 24, 26, 28},
    {0, 4, 8, 12, 16},   {8, 10, 12, 14, 16},  {11, 12, 13, 15, 16},
};

uint32_t sixBitTo8(uint32_t c) { return (c * 255 + 31) / 63; }

uint32_t packSixBit(uint32_t r, uint32_t g, uint32_t b) {
  return kOpaque | sixBitTo8(r) << 16 | sixBitTo8(g) << 8 | sixBitTo8(b);
}

// Level index (0..4) of red, green and blue at position 0..23 of a ring.
struct RingStep {
  uint8_t r, g, b;
};
RingStep ringStep(int position) {
  // Six sectors of four steps: one component rises or falls while the others stay put.
  int sector = position / 4;
  uint8_t step = static_cast<uint8_t>(position % 4);
  uint8_t up = step, down = static_cast<uint8_t>(4 - step);
  switch (sector) {
    case 0: return {up, 0, 4};    // blue to magenta: red rises
    case 1: return {4, 0, down};  // magenta to red: blue falls
    case 2: return {4, up, 0};    // red to yellow: green rises
    case 3: return {down, 4, 0};  // yellow to green: red falls
    case 4: return {0, 4, up};    // green to cyan: blue rises
    default: return {0, down, 4};  // cyan to blue: green falls
  }
}

std::array<uint32_t, 256> buildDefault256() {
  std::array<uint32_t, 256> table{};
  for (int i = 0; i < 16; ++i) table[i] = kOpaque | kDefault16[i];
  for (int i = 0; i < 16; ++i) table[16 + i] = kOpaque | kGreyRamp[i];
  for (int ring = 0; ring < 9; ++ring) {
    for (int position = 0; position < 24; ++position) {
      RingStep s = ringStep(position);
      const uint8_t* level = kRingLevels[ring];
      table[32 + ring * 24 + position] = packSixBit(level[s.r], level[s.g], level[s.b]);
    }
  }
  for (int i = 248; i < 256; ++i) table[i] = kOpaque;
  return table;
}

std::array<uint32_t, 64> buildEga64() {
  std::array<uint32_t, 64> table{};
  for (uint32_t n = 0; n < 64; ++n) {
    uint32_t r = (n & 4 ? 0xAAu : 0u) + (n & 32 ? 0x55u : 0u);
    uint32_t g = (n & 2 ? 0xAAu : 0u) + (n & 16 ? 0x55u : 0u);
    uint32_t b = (n & 1 ? 0xAAu : 0u) + (n & 8 ? 0x55u : 0u);
    table[n] = kOpaque | r << 16 | g << 8 | b;
  }
  return table;
}

}  // namespace

const uint32_t* defaultPalette256() {
  static const std::array<uint32_t, 256> table = buildDefault256();
  return table.data();
}

const uint32_t* egaPalette64() {
  static const std::array<uint32_t, 64> table = buildEga64();
  return table.data();
}

void fillModePalette(uint32_t* palette, int32_t mode) {
  // Built in private memory, then stored entry by entry: the palette may be on the screen, and
  // the frame builder should never catch it zeroed half way.
  std::array<uint32_t, 256> built{};
  const uint32_t* defaults = defaultPalette256();
  switch (mode) {
    case 1: {
      const int entries[4] = {0, 3, 5, 7};
      for (int i = 0; i < 4; ++i) built[i] = defaults[entries[i]];
      break;
    }
    case 2:
    case 11:
      built[0] = kOpaque;
      built[1] = kOpaque | 0xFFFFFF;
      break;
    case 9: {
      const int entries[16] = {0, 1, 2, 3, 4, 5, 20, 7, 56, 57, 58, 59, 60, 61, 62, 63};
      for (int i = 0; i < 16; ++i) built[i] = egaPalette64()[entries[i]];
      break;
    }
    case 10: {
      // Monochrome attribute map: entries 4..7 hold colour numbers, not colours.
      const uint32_t numbers[4] = {0, 4, 6, 8};
      for (int i = 0; i < 4; ++i) built[4 + i] = numbers[i];
      break;
    }
    case 13:
    case 256:
      for (int i = 0; i < 256; ++i) built[i] = defaults[i];
      break;
    default:  // 0, 7, 8, 12
      for (int i = 0; i < 16; ++i) built[i] = defaults[i];
      break;
  }
  copyToShared32(palette, built.data(), built.size());
}

}  // namespace rt
