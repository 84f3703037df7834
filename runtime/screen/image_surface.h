// ImageSurface and SurfaceTable: the software rasters everything is drawn into.
//
// A surface is one raster with its palette and its text and graphics state. Surfaces live in
// SurfaceTable and are addressed by index; indices 0 and 1 are never used, so 0 can mean "no
// surface". The table grows in chunks that never move, so a record reference stays valid for
// as long as its index is allocated. The screen's pages are surfaces listed in the PageTable
// (screen_mode.h); three current references name the write, read and visible pages.
//
// Threads: ProgramThread creates, changes and draws into surfaces. The frame builder on
// RuntimeLoopThread reads the visible surface's size, pixels, palette and text cursor without a
// lock (a frame may catch a drawing half done). Size, mode and memory do not change while a
// surface can be visible, except in a screen rebuild, which pauses the builder first (see
// display_pause.h); pixels, palette entries and the cursor fields do, so both threads access
// them through shared_raster.h.
#pragma once

#include <atomic>
#include <cstdint>

#include "runtime/screen/shared_raster.h"

namespace rt {

struct CellRecords;

// Bits of ImageSurface::ownership.
inline constexpr uint32_t kOwnsPalette = 1;
inline constexpr uint32_t kIsScreenPage = 2;
inline constexpr uint32_t kOwnsPixels = 4;

struct ImageSurface {
  void* memoryLock = nullptr;  // memory-block lock (unused here); released with the surface
  uint64_t memoryLockId = 0;
  uint8_t valid = 0;      // 1 while the table slot is in use
  uint8_t isText = 0;     // character-cell surface (mode 0)
  uint8_t isConsole = 0;  // printing goes to standard output instead of pixels
  uint16_t width = 0;     // pixels; characters on a text surface
  uint16_t height = 0;
  uint8_t bytesPerPixel = 0;  // 1 indexed, 2 text cell, 4 32-bit colour
  uint8_t bitsPerPixel = 0;   // 1, 2, 4, 8, 16 (text) or 32
  uint32_t colorMask = 0;     // indexed pixel writes store colour AND colorMask
  uint16_t mode = 0;          // legacy mode 0, 1, 2, 7..13, or 32 / 256 for free images
  uint32_t foreColor = 0;
  uint32_t backColor = 0;
  uint32_t drawColor = 0;  // colour of the most recent drawing primitive
  int32_t font = 0;        // 8, 14, 16 built in; 9, 15, 17 double width; 32+ loaded
  int16_t topRow = 0;      // scrolling text viewport, 1-based, inclusive
  int16_t bottomRow = 0;
  SharedField<int16_t> cursorColumn{0};  // text cursor, 1-based
  SharedField<int16_t> cursorRow{0};
  SharedField<uint8_t> cursorVisible{0};
  SharedField<uint8_t> cursorFirstLine{0};
  SharedField<uint8_t> cursorLastLine{0};
  uint8_t* pixels = nullptr;  // width x height x bytesPerPixel bytes, row-major, no padding;
                              // shared with the frame builder (shared_raster.h)
  CellRecords* cells = nullptr;  // glyphs not yet drawn into pixels (cell_records.h); owned
  uint32_t ownership = 0;     // kOwnsPalette | kIsScreenPage | kOwnsPixels
  uint32_t* palette = nullptr;  // 256 entries 0xAARRGGBB, shared; none on 32-bit surfaces
  int32_t transparentColor = -1;
  uint8_t alphaDisabled = 0;  // 32-bit surfaces: 1 = writes replace, 0 = they blend
  uint8_t holdCursor = 0;     // 0, 1 or 2: a line that ended exactly at the right edge
  uint8_t printMode = 3;      // 1 glyph pixels, 2 background pixels, 3 both

  // The graphics block: copied as a whole when the active page changes to another graphics
  // page. Keep every graphics-state field between graphicsBegin and graphicsEnd.
  uint8_t graphicsBegin = 0;
  int32_t viewX1 = 0, viewY1 = 0, viewX2 = 0, viewY2 = 0;  // clip rectangle, inclusive
  int32_t viewOffsetX = 0, viewOffsetY = 0;
  float penX = 0, penY = 0;  // graphics cursor (the last point drawn)
  uint8_t coordMode = 0;     // 0 pixels; 1 view; 2 view with a world-coordinate window
  float scaleX = 0, scaleY = 0, scaleOffsetX = 0, scaleOffsetY = 0;
  float windowX1 = 0, windowY1 = 0, windowX2 = 0, windowY2 = 0;
  double turnAngle = 0;  // turtle-style drawing language state
  double drawScale = 0;
  uint8_t graphicsEnd = 0;
};

// Rows and columns of a surface's character grid.
struct TextGrid {
  int columns = 0;
  int rows = 0;
};

// The colours a surface of `mode` starts with.
uint32_t startForeground(int32_t mode);
uint32_t startBackground(int32_t mode);

// Font metrics of the built-in fonts; width 0 marks a font without fixed width. Inline: text
// output asks for them for every printed item.
inline int fontWidth(int32_t font) {
  switch (font) {
    case 8:
    case 14:
    case 16: return 8;
    case 9:
    case 15:
    case 17: return 16;
    default: return 0;
  }
}

inline int fontHeight(int32_t font) {
  switch (font) {
    case 8:
    case 9: return 8;
    case 14:
    case 15: return 14;
    case 16:
    case 17: return 16;
    default: return 0;
  }
}

inline int fontFlags(int32_t font) { return fontHeight(font) != 0 ? 16 : 0; }

// The character grid of a surface: graphics surfaces divide by the font size, text surfaces
// are measured in characters already.
inline TextGrid textGrid(const ImageSurface& s) {
  if (s.isText) return {s.width, s.height};
  const int w = fontWidth(s.font), h = fontHeight(s.font);
  return {w != 0 ? s.width / w : s.width, h != 0 ? s.height / h : 0};
}

// Allocates the two reserved indices 0 and 1. Start-up (and tests) call it once before any
// surface is created; calling it again frees every surface first.
void resetSurfaceTable();

// Creates a surface for `mode` (0, 1, 2, 7..13, 32, 256) with its start state, zeroed pixels
// (text cells 0x0720) and the mode's default palette. Returns its index, or 0 when the size or
// mode is invalid or memory runs out. ProgramThread.
int32_t createSurface(int32_t width, int32_t height, int32_t mode);

// As createSurface, but over caller-owned pixel memory of the right size (not freed by us).
int32_t createSurfaceOver(int32_t width, int32_t height, int32_t mode, uint8_t* pixels);

// Releases owned pixel and palette memory and frees the index. Out-of-range or invalid
// indices are ignored. ProgramThread.
void freeSurface(int32_t index);

// The record at `index`, or nullptr when the index is not an allocated surface.
ImageSurface* surfaceAt(int32_t index);

// Puts the mode's default palette into the surface; nothing for 32-bit surfaces.
void resetPalette(ImageSurface& surface);

// Sets the font and puts the cursor and text viewport back to their start.
void setSurfaceFont(int32_t font, ImageSurface& surface);

// Current surfaces. writeSurface receives text and drawing, readSurface is read by pixel
// reads, visibleSurface is what the frame builder shows. ProgramThread changes them; the frame
// builder loads visibleSurface with acquire.
ImageSurface* writeSurface();
ImageSurface* readSurface();
ImageSurface* visibleSurface();
int32_t writeSurfaceIndex();
int32_t readSurfaceIndex();
int32_t visibleSurfaceIndex();
void setWriteSurface(int32_t index);
void setReadSurface(int32_t index);
void setVisibleSurface(int32_t index);

// Unchecked store into the write surface (callers clip first). Indexed surfaces store
// color AND colorMask; 32-bit surfaces store, skip or blend by alpha.
void writePixel(int32_t x, int32_t y, uint32_t color);

}  // namespace rt
