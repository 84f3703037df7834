// Palettes: the built-in colour tables, the mode defaults, and the palette and colour
// operations of the write surface.
//
// Entries are 0xAARRGGBB. Entries from the built-in tables carry 0xFF in the top byte; entries
// written by setPaletteEntry carry 0 there (the frame builder copies them as they are; with
// blending off the top byte has no visible effect).
#pragma once

#include <cstdint>

namespace rt {

struct ImageSurface;

// The 256-colour default palette: the 16 standard colours, a grey ramp (16..31), nine hue
// rings of 24 colours (32..247) and black (248..255). Top byte 0xFF.
const uint32_t* defaultPalette256();

// The 64-colour EGA palette: per component one high bit (0xAA) and one low bit (0x55).
const uint32_t* egaPalette64();

// Fills `palette` (256 entries) with the defaults of `mode`, zeroing the rest.
void fillModePalette(uint32_t* palette, int32_t mode);

// Converts a 6-bit colour component (0..63) to 8 bits the way the palette operation does:
// always 4c + floor(c / 16).
uint32_t paletteComponent(uint32_t sixBit);

// `given` 0 resets the write surface's palette to its mode's defaults; 1 sets entry
// `attribute` to `color` with the mode's limits (error 5 and no change when out of range).
// ProgramThread.
void setPaletteEntry(int32_t attribute, int32_t color, int32_t given);

// Sets the write surface's foreground (bit 0 of `given`), background (bit 1) and third value
// (bit 2) with the mode's limits; any violation is error 5 and changes nothing. ProgramThread.
void setColor(int32_t fore, int32_t back, int32_t third, int32_t given);

}  // namespace rt
