// The cell-record table of a surface: creation, the recording switch and revealing cells.
#include "runtime/screen/cell_records.h"

#include <algorithm>
#include <new>

#include "runtime/screen/glyph_draw.h"

namespace rt {
namespace {

bool recording = false;

// Draws cell (column, row) into the pixels, then forgets it. The 0 is stored with release after
// the pixel stores, so a builder that loads it (acquire) also sees the pixels.
void revealCell(ImageSurface& s, CellRecords& cells, int32_t column, int32_t row) {
  uint32_t& slot = cellSlot(cells, column, row);
  if (slot == 0) return;
  drawRecordedCell(s, column, row, slot);
  std::atomic_ref<uint32_t>(slot).store(0, std::memory_order_release);
  --cells.inRow[row];
  --cells.recorded;
}

}  // namespace

void createCellRecords(ImageSurface& s) {
  if (s.isText || s.bytesPerPixel != 1 || s.width < 8 || s.height < 8) return;
  auto* cells = new (std::nothrow) CellRecords;
  if (cells == nullptr) return;
  cells->columns = s.width / 8;
  cells->rows = s.height / 8;
  const size_t count = static_cast<size_t>(cells->columns) * static_cast<size_t>(cells->rows);
  cells->words.reset(new (std::nothrow) uint32_t[count]());
  cells->inRow.reset(new (std::nothrow) uint16_t[static_cast<size_t>(cells->rows)]());
  if (cells->words == nullptr || cells->inRow == nullptr) {
    delete cells;
    return;
  }
  s.cells = cells;
}

void freeCellRecords(ImageSurface& s) {
  delete s.cells;
  s.cells = nullptr;
}

void setCellRecording(bool on) { recording = on; }

bool recordsGlyphs(const ImageSurface& s) {
  // Narrow built-in fonts only: their cells lie on the table's 8-pixel columns.
  return recording && s.cells != nullptr && s.printMode == 3 &&
         (s.font == 8 || s.font == 14 || s.font == 16);
}

size_t recordCellRun(CellRecords& cells, int32_t column, int32_t row, uint32_t colours,
                     const uint8_t* codes, size_t count, bool stopAtControl) {
  uint32_t* slot = &cellSlot(cells, column, row);
  size_t taken = 0;
  int32_t added = 0;  // cells that held no record before
  for (; taken < count; ++taken) {
    const uint8_t code = codes[taken];
    if (code < 32 && stopAtControl) break;
    added += slot[taken] == 0;
    std::atomic_ref<uint32_t>(slot[taken]).store(colours | code, std::memory_order_relaxed);
  }
  cells.inRow[row] = static_cast<uint16_t>(cells.inRow[row] + added);
  cells.recorded += added;
  return taken;
}

void revealCellsIn(ImageSurface& s, int64_t x1, int64_t y1, int64_t x2, int64_t y2) {
  CellRecords* cells = s.cells;
  if (cells == nullptr || cells->recorded == 0) return;
  // Every record has the current font's height: a font change reveals them all first.
  const int cellHeight = fontHeight(s.font);
  if (cellHeight == 0 || fontWidth(s.font) != 8) return revealAllCells(s);
  x1 = std::max<int64_t>(x1, 0);
  y1 = std::max<int64_t>(y1, 0);
  x2 = std::min<int64_t>(x2, s.width - 1);
  y2 = std::min<int64_t>(y2, s.height - 1);
  if (x1 > x2 || y1 > y2) return;
  const auto firstColumn = static_cast<int32_t>(x1 / 8);
  const auto lastColumn = static_cast<int32_t>(std::min<int64_t>(x2 / 8, cells->columns - 1));
  const auto firstRow = static_cast<int32_t>(y1 / cellHeight);
  const auto lastRow = static_cast<int32_t>(std::min<int64_t>(y2 / cellHeight, cells->rows - 1));
  for (int32_t row = firstRow; row <= lastRow; ++row) {
    for (int32_t column = firstColumn; column <= lastColumn && cells->inRow[row] != 0; ++column) {
      revealCell(s, *cells, column, row);
    }
  }
}

void revealAllCells(ImageSurface& s) {
  CellRecords* cells = s.cells;
  if (cells == nullptr) return;
  for (int32_t row = 0; row < cells->rows && cells->recorded != 0; ++row) {
    for (int32_t column = 0; column < cells->columns && cells->inRow[row] != 0; ++column) {
      revealCell(s, *cells, column, row);
    }
  }
}

}  // namespace rt
