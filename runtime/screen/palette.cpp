// The palette and colour operations of the write surface, with each mode's limits.
#include "runtime/screen/palette.h"

#include <cmath>

#include "runtime/core/errors.h"
#include "runtime/screen/image_surface.h"
#include "runtime/screen/shared_raster.h"

namespace rt {
namespace {

constexpr int32_t kGivenFore = 1, kGivenBack = 2, kGivenThird = 4;

bool isTrueColor(const ImageSurface& s) { return s.bitsPerPixel >= 32; }

// A packed 6-bit colour (red lowest) converted to 0x00RRGGBB, or false when a component
// uses more than 6 bits.
bool convertPackedColor(uint32_t color, uint32_t& entry) {
  if ((color & 0xFFC0C0C0u) != 0) return false;
  uint32_t red = paletteComponent(color & 0x3F);
  uint32_t green = paletteComponent((color >> 8) & 0x3F);
  uint32_t blue = paletteComponent((color >> 16) & 0x3F);
  entry = red << 16 | green << 8 | blue;
  return true;
}

// Computes the new palette entry and its index for the write surface's mode; false when the
// attribute or colour is out of range.
bool paletteEntryFor(const ImageSurface& s, uint32_t attribute, uint32_t color, uint32_t& index,
                     uint32_t& entry) {
  index = attribute;
  switch (s.mode) {
    case 13:
    case 256: return convertPackedColor(color, entry);
    case 12: return attribute <= 15 && convertPackedColor(color, entry);
    case 11: return attribute <= 1 && convertPackedColor(color, entry);
    case 10:
      if (attribute > 3 || color > 8) return false;
      index = attribute + 4;
      entry = color;
      return true;
    case 9:
    case 0:
      if (attribute > 15 || color > 63) return false;
      entry = egaPalette64()[color];
      return true;
    case 8:
    case 7:
    case 1:
      if (attribute > 15 || color > 15) return false;
      entry = defaultPalette256()[color];
      return true;
    case 2:
      if (attribute > 1 || color > 15) return false;
      entry = defaultPalette256()[color];
      return true;
    default: return false;
  }
}

// The colour limits of one mode. `back` and `third` may also write palette entries.
struct ColorChange {
  bool ok = true;
  bool setFore = false, setBack = false;
  uint32_t fore = 0, back = 0;
  int paletteIndex = -1;  // palette entry written by the background value, if any
  uint32_t paletteValue = 0;
  bool setPaletteSet = false;  // mode 1: background selects palette set 0 or 1
};

ColorChange colorChangeFor(const ImageSurface& s, uint32_t fore, uint32_t back, int32_t given) {
  ColorChange c;
  bool foreGiven = given & kGivenFore, backGiven = given & kGivenBack;
  if (given & kGivenThird) return {false};
  c.setFore = foreGiven;
  c.fore = fore;
  c.setBack = backGiven;
  c.back = back;
  const uint32_t* defaults = defaultPalette256();
  if (isTrueColor(s)) return c;
  switch (s.mode) {
    case 256:
    case 13: c.ok = (!foreGiven || fore <= 255) && (!backGiven || back <= 255); break;
    case 12: c.ok = (!foreGiven || fore <= 15) && (!backGiven || back <= 15); break;
    case 11: c.ok = (!foreGiven || fore <= 1) && (!backGiven || back <= 1); break;
    case 10:
      c.ok = (!foreGiven || fore <= 3) && (!backGiven || back <= 8);
      c.setBack = false;
      if (backGiven) c.paletteIndex = 4, c.paletteValue = back;
      break;
    case 9:
      c.ok = (!foreGiven || fore <= 15) && (!backGiven || back <= 63);
      c.setBack = false;
      if (backGiven && c.ok) c.paletteIndex = 0, c.paletteValue = egaPalette64()[back];
      break;
    case 8:
    case 7:
    case 2:
      c.ok = (!foreGiven || fore <= (s.mode == 2 ? 1u : 15u)) && (!backGiven || back <= 15);
      c.setBack = false;
      if (backGiven && c.ok) c.paletteIndex = 0, c.paletteValue = defaults[back];
      break;
    case 1:
      // The foreground picks the background colour (entry 0); the background picks a set.
      c.ok = (!foreGiven || fore <= 15) && (!backGiven || back <= 1);
      c.setFore = false;
      c.setBack = false;
      if (foreGiven && c.ok) c.paletteIndex = 0, c.paletteValue = defaults[fore];
      c.setPaletteSet = backGiven;
      break;
    case 0:
      c.ok = (!foreGiven || fore <= 31) && (!backGiven || back <= 15);
      c.back = back & 7;
      break;
    default: c.ok = false; break;
  }
  return c;
}

}  // namespace

uint32_t paletteComponent(uint32_t sixBit) {
  // Evaluated in extended precision and rounded to nearest, ties to even; for 0..63 the
  // result is exactly 4c + floor(c / 16).
  long double scaled =
      static_cast<long double>(sixBit) * 4.0634918212890625L - static_cast<long double>(0.49999991059303284);
  return static_cast<uint32_t>(std::llrint(scaled));
}

void setPaletteEntry(int32_t attribute, int32_t color, int32_t given) {
  if (errorIsPending()) return;
  ImageSurface* s = writeSurface();
  if (s == nullptr) return;
  if (given == 0) {
    resetPalette(*s);
    return;
  }
  if (isTrueColor(*s) || s->palette == nullptr) {
    raiseError(5);
    return;
  }
  uint32_t index = 0, entry = 0;
  uint32_t attr8 = static_cast<uint32_t>(attribute) & 0xFF;
  if (!paletteEntryFor(*s, attr8, static_cast<uint32_t>(color), index, entry)) {
    raiseError(5);
    return;
  }
  storeShared32(s->palette + index, entry);
}

void setColor(int32_t fore, int32_t back, int32_t third, int32_t given) {
  (void)third;  // no mode accepts a third value
  if (errorIsPending() || given == 0) return;
  ImageSurface* s = writeSurface();
  if (s == nullptr) return;
  ColorChange c =
      colorChangeFor(*s, static_cast<uint32_t>(fore), static_cast<uint32_t>(back), given);
  if (!c.ok) {
    raiseError(5);
    return;
  }
  if (c.setFore) s->foreColor = c.fore;
  if (c.setBack) s->backColor = c.back;
  if (c.paletteIndex >= 0 && s->palette != nullptr) storeShared32(s->palette + c.paletteIndex, c.paletteValue);
  if (c.setPaletteSet && s->palette != nullptr) {
    const uint32_t* defaults = defaultPalette256();
    const int sets[2][3] = {{2, 4, 6}, {3, 5, 7}};
    for (int i = 0; i < 3; ++i) storeShared32(s->palette + 1 + i, defaults[sets[c.back][i]]);
  }
}

}  // namespace rt
