// Recorded text cells: opaque glyphs that are kept as (code, colours) per character cell and
// drawn into the pixels only when something can observe those pixels.
//
// A print writes most cells several times before anyone looks (the plotter clears a row with
// blanks and then prints over it, once per log record), and only the last write of a cell can
// ever be seen. So an opaque glyph (printMode 3, a built-in font 8 pixels wide) that lies wholly
// inside a one-byte graphics surface is not drawn: its cell word is recorded instead. A record
// replaces any earlier record of the cell, and while it exists the cell's pixels are stale.
//
// Invariant: the picture of a surface is its pixels with every recorded cell drawn over them.
// Whoever reads or changes pixels on ProgramThread first reveals the recorded cells its area
// touches (revealCells): drawing primitives, clearing, scrolling, pixel reads and non-opaque
// glyphs. A font change, a page change and the end of the program reveal every cell. The frame
// builder never needs cells revealed: it draws the recorded cells over its own copy of the
// pixels (frame_builder.h), so a frame is never older than its pass.
//
// Threads: ProgramThread records and reveals; the frame builder on RuntimeLoopThread loads the
// cell words. A cell word is one 32-bit value stored with relaxed atomics (a record) or release
// (a reveal stores 0 after the cell's pixels); the builder loads words with acquire before it
// reads the pixels, so a cell it finds revealed has its pixels visible to it. Everything else
// in CellRecords is ProgramThread's alone.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "runtime/screen/image_surface.h"

namespace rt {

// A cell word: code in bits 0..7, foreground and background pixel values in bits 8..15 and
// 16..23, the glyph's pixel rows (8, 14 or 16) in bits 24..31. 0 means nothing is recorded.
inline constexpr uint32_t cellWord(uint8_t code, uint8_t fore, uint8_t back, int glyphRows) {
  return code | uint32_t{fore} << 8 | uint32_t{back} << 16 | static_cast<uint32_t>(glyphRows) << 24;
}
inline uint8_t cellCode(uint32_t word) { return static_cast<uint8_t>(word); }
inline uint8_t cellFore(uint32_t word) { return static_cast<uint8_t>(word >> 8); }
inline uint8_t cellBack(uint32_t word) { return static_cast<uint8_t>(word >> 16); }
inline int cellRows(uint32_t word) { return static_cast<int>(word >> 24); }

// The recorded cells of one surface. Cell (column, row), both 0-based, is words[row * columns
// + column] and covers pixels x = 8 column .. 8 column + 7, y = rows(word) x row onwards.
struct CellRecords {
  int32_t columns = 0;  // surface width / 8
  int32_t rows = 0;     // surface height / 8: the most cell rows a built-in font gives
  std::unique_ptr<uint32_t[]> words;     // shared with the frame builder
  std::unique_ptr<uint16_t[]> inRow;     // recorded cells per row; ProgramThread
  int32_t recorded = 0;                  // recorded cells in all; ProgramThread
};

// Gives a one-byte graphics surface its (empty) cell records; other surfaces get none, and so
// does a surface when memory runs out (its glyphs are then drawn at once). ProgramThread,
// before the surface can be visible.
void createCellRecords(ImageSurface& surface);
// Frees them; the surface must not be visible to a running frame builder. ProgramThread.
void freeCellRecords(ImageSurface& surface);

// Turns recording on or off for later glyphs (off at start; the running program turns it on).
// Cells already recorded stay valid either way. Code that reads raster memory directly (tests,
// tools) sees every glyph at once while it is off. ProgramThread.
void setCellRecording(bool on);

// True when a glyph drawn into `surface` now would be recorded instead of drawn.
bool recordsGlyphs(const ImageSurface& surface);

// The word of cell (column, row), both 0-based and inside the table.
inline uint32_t& cellSlot(CellRecords& cells, int32_t column, int32_t row) {
  return cells.words[static_cast<size_t>(row) * static_cast<size_t>(cells.columns) +
                     static_cast<size_t>(column)];
}

// Records `word` for cell (column, row), both 0-based and inside the table. ProgramThread.
inline void recordCell(CellRecords& cells, int32_t column, int32_t row, uint32_t word) {
  uint32_t& slot = cellSlot(cells, column, row);
  if (slot == 0) {
    ++cells.inRow[row];
    ++cells.recorded;
  }
  std::atomic_ref<uint32_t>(slot).store(word, std::memory_order_relaxed);
}

// Records the cells of up to `count` codes from (column, row) along the row, each as `colours`
// with its code, and stops before the first code below 32 when `stopAtControl`. The cells must
// lie inside the table. Returns how many were recorded. ProgramThread.
size_t recordCellRun(CellRecords& cells, int32_t column, int32_t row, uint32_t colours,
                     const uint8_t* codes, size_t count, bool stopAtControl);

// Draws every recorded cell that touches pixels x1..x2, y1..y2 (inclusive; any values, clamped
// to the surface) into the pixels and forgets it. ProgramThread.
void revealCellsIn(ImageSurface& surface, int64_t x1, int64_t y1, int64_t x2, int64_t y2);
inline void revealCells(ImageSurface& surface, int64_t x1, int64_t y1, int64_t x2, int64_t y2) {
  if (surface.cells != nullptr && surface.cells->recorded != 0) revealCellsIn(surface, x1, y1, x2, y2);
}
// Draws and forgets every recorded cell of the surface. ProgramThread.
void revealAllCells(ImageSurface& surface);

// The builder's read of cell word `index`: acquire, so that the pixels of a cell it finds
// revealed are visible to its later pixel reads. Any thread.
inline uint32_t loadCellWord(const CellRecords& cells, size_t index) {
  return std::atomic_ref<uint32_t>(cells.words[index]).load(std::memory_order_acquire);
}

}  // namespace rt
