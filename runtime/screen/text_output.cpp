// Cursor positioning, the fit rule, printing with control codes and wrapping, and line feeds
// with scrolling. Glyph cells are drawn by glyph_draw.cpp, clearing lives in clear_screen.cpp.
#include "runtime/screen/text_output.h"

#include <algorithm>
#include <cstdio>

#include "runtime/core/delay.h"
#include "runtime/core/errors.h"
#include "runtime/screen/cell_records.h"
#include "runtime/screen/glyph_draw.h"
#include "runtime/screen/image_surface.h"
#include "runtime/screen/screen_mode.h"
#include "runtime/screen/shared_raster.h"

namespace rt {
namespace {

constexpr double kBellSeconds = 0.25;

bool passThrough = false;

// Scrolls text rows topRow..bottomRow up by one text row: one block move, then bottomRow is
// filled with the background. Rows outside the viewport (row 30 on the mode-12 screen) are
// never moved.
void scrollViewport(ImageSurface& s) {
  const int rows = textGrid(s).rows;
  const int top = std::max<int>(s.topRow, 1);
  const int bottom = std::min<int>(s.bottomRow, rows);
  if (top > bottom) return;
  if (s.isText) {
    const size_t rowBytes = static_cast<size_t>(s.width) * 2;
    uint8_t* first = s.pixels + static_cast<size_t>(top - 1) * rowBytes;
    moveSharedBytesDown(first, first + rowBytes, static_cast<size_t>(bottom - top) * rowBytes);
    uint8_t* last = s.pixels + static_cast<size_t>(bottom - 1) * rowBytes;
    const uint8_t attribute = textAttribute(s.foreColor, s.backColor);
    for (size_t cell = 0; cell < s.width; ++cell) {
      storeSharedByte(last + 2 * cell, ' ');
      storeSharedByte(last + 2 * cell + 1, attribute);
    }
    return;
  }
  const size_t cellHeight = static_cast<size_t>(fontHeight(s.font));
  if (cellHeight == 0) return;  // loaded fonts scroll through their own service
  // The block move reads and overwrites the viewport's pixels.
  revealCells(s, 0, static_cast<int64_t>(top - 1) * static_cast<int64_t>(cellHeight), s.width - 1,
              static_cast<int64_t>(bottom) * static_cast<int64_t>(cellHeight) - 1);
  const size_t lineBytes = static_cast<size_t>(s.width) * s.bytesPerPixel * cellHeight;
  uint8_t* first = s.pixels + static_cast<size_t>(top - 1) * lineBytes;
  moveSharedBytesDown(first, first + lineBytes, static_cast<size_t>(bottom - top) * lineBytes);
  uint8_t* last = s.pixels + static_cast<size_t>(bottom - 1) * lineBytes;
  if (s.bytesPerPixel == 4) {
    fillShared32(reinterpret_cast<uint32_t*>(last), s.backColor, lineBytes / 4);
  } else {
    fillSharedBytes(last, static_cast<uint8_t>(s.backColor), lineBytes);
  }
}

// Line feed: next row, column 1; past bottomRow the viewport scrolls and the cursor stays on
// bottomRow.
void newLineOn(ImageSurface& s) {
  ++s.cursorRow;
  s.cursorColumn = 1;
  if (s.cursorRow > s.bottomRow) {
    scrollViewport(s);
    s.cursorRow = s.bottomRow;
  }
}

// Draws one character at the cursor and advances. Past the right edge the line either wraps
// (when more output follows: returns true) or the cursor is held on the last column.
bool putCharacter(ImageSurface& s, uint32_t code, bool moreFollows) {
  drawGlyphOn(s, code);
  ++s.cursorColumn;
  bool pastEdge;
  int lastColumn;
  if (s.isText) {
    pastEdge = s.cursorColumn > s.width;
    lastColumn = s.cursorColumn - 1;
  } else {
    const int f = fontWidth(s.font);
    pastEdge = s.width - f < f * (s.cursorColumn - 1);
    lastColumn = f != 0 ? s.width / f : s.width;
  }
  if (!pastEdge) return false;
  if (moreFollows) {
    newLineOn(s);
    return true;
  }
  s.cursorColumn = static_cast<int16_t>(lastColumn);
  s.holdCursor = 1;
  return false;
}

// Records the run of plain characters at the start of `codes` (at most `count`) that fits on
// the cursor's row without reaching the last column, and moves the cursor past it: what
// putCharacter would do for each of them, without the per-character work. Returns how many
// were taken; 0 when the cursor lies outside the grid. The surface must record glyphs.
size_t recordRun(ImageSurface& s, const uint8_t* codes, size_t count) {
  CellRecords& cells = *s.cells;
  const int cellHeight = fontHeight(s.font);
  const int row = s.cursorRow - 1, column = s.cursorColumn - 1;
  if (row < 0 || row >= s.height / cellHeight || column < 0 || column >= cells.columns) return 0;
  // A glyph on the last column may wrap or hold the cursor: putCharacter decides that.
  const size_t room = std::min(count, static_cast<size_t>(cells.columns - 1 - column));
  const uint32_t colours = cellWord(0, static_cast<uint8_t>(s.foreColor & s.colorMask),
                                    static_cast<uint8_t>(s.backColor & s.colorMask), cellHeight);
  const size_t taken = recordCellRun(cells, column, row, colours, codes, room, !passThrough);
  s.cursorColumn = static_cast<int16_t>(s.cursorColumn + static_cast<int>(taken));
  return taken;
}

// A tab prints spaces up to the next column of the form 8k + 1. On a grid whose width is not a
// multiple of 8 that stop may lie beyond the edge, so the loop also ends when a space held the
// cursor at the edge, and when it wrapped a second line: a grid narrower than 8 columns would
// otherwise wrap for ever.
bool putTab(ImageSurface& s, bool moreFollows) {
  if (!s.isText && fontWidth(s.font) == 0) {
    // Fonts without fixed width keep a pixel position in cursorColumn: next 64-pixel stop.
    s.cursorColumn = static_cast<int16_t>(((s.cursorColumn - 1) / 64 + 1) * 64 + 1);
    return false;
  }
  int wraps = 0;
  for (;;) {
    const int before = s.cursorColumn;
    if (putCharacter(s, ' ', moreFollows)) ++wraps;
    if (before % 8 == 0 || s.holdCursor != 0 || wraps == 2) return wraps != 0;
  }
}

void cursorRight(ImageSurface& s) {
  const int lastColumn = textGrid(s).columns;
  if (s.cursorRow >= s.bottomRow && s.cursorColumn == lastColumn) return;
  if (++s.cursorColumn > lastColumn) {
    ++s.cursorRow;
    s.cursorColumn = 1;
  }
}

void cursorLeft(ImageSurface& s) {
  if (s.cursorColumn == 1 && (s.cursorRow <= s.topRow || s.cursorRow > s.bottomRow)) return;
  if (--s.cursorColumn == 0) {
    --s.cursorRow;
    s.cursorColumn = static_cast<int16_t>(textGrid(s).columns);
  }
}

// Acts on a control code; false when `code` is not one and is to be drawn as a glyph.
bool controlCode(ImageSurface& s, uint8_t code, bool moreFollows, bool& wrapped) {
  switch (code) {
    case 7: delaySeconds(kBellSeconds); return true;  // the bell: a pause, stoppable like any wait
    case 9: wrapped = putTab(s, moreFollows); return true;
    case 10:
    case 13: newLineOn(s); return true;
    case 11:
      s.cursorColumn = 1;
      s.cursorRow = s.topRow;
      return true;
    case 12: clearScreen(0, 0, 0); return true;
    case 28: cursorRight(s); return true;
    case 29: cursorLeft(s); return true;
    case 30:
      if (s.topRow < s.cursorRow && s.cursorRow <= s.bottomRow) --s.cursorRow;
      return true;
    case 31:
      if (s.topRow <= s.cursorRow && s.cursorRow < s.bottomRow) ++s.cursorRow;
      return true;
    default: return false;
  }
}

// Writes the cursor shape fields that `given` names into one surface.
void storeCursorShape(ImageSurface& s, int32_t shown, int32_t first, int32_t last, int32_t given) {
  if (given & kLocateCursorShown) s.cursorVisible = static_cast<uint8_t>(shown);
  if (given & kLocateFirstLine) s.cursorFirstLine = static_cast<uint8_t>(first);
  if (given & kLocateLastLine) s.cursorLastLine = static_cast<uint8_t>(last);
}

}  // namespace

void locateCursor(int32_t row, int32_t column, int32_t cursorShown, int32_t firstLine,
                  int32_t lastLine, int32_t given) {
  if (errorIsPending()) return;
  ImageSurface* s = writeSurface();
  if (s == nullptr) return;
  const TextGrid grid = textGrid(*s);
  const bool rowGiven = given & kLocateRow, columnGiven = given & kLocateColumn;
  const bool columnBad = columnGiven && (column < 1 || column > grid.columns);
  const bool shapeBad = ((given & kLocateCursorShown) && (cursorShown < 0 || cursorShown > 1)) ||
                        ((given & kLocateFirstLine) && (firstLine < 0 || firstLine > 31)) ||
                        ((given & kLocateLastLine) && (lastLine < 0 || lastLine > 31));
  bool growScreen = false;
  if (rowGiven) {
    if (row < s->topRow) return raiseError(5);
    if (row != grid.rows && row > s->bottomRow) {
      if (!startupAllowanceOn() || !s->isText) return raiseError(5);
      // The first text screen may still grow to 50 rows; the chance is used up either way.
      clearStartupAllowance();
      if (row > 50 || columnBad) return raiseError(5);
      growScreen = true;
    }
  }
  // Every check comes before the screen grows, so a failed call changes nothing.
  if (columnBad || shapeBad) return raiseError(5);
  if (growScreen) {
    growTextScreenTo50Rows();
    s = writeSurface();
    if (s == nullptr) return;
  }

  if (rowGiven) {
    s->cursorRow = static_cast<int16_t>(row);
    s->holdCursor = 0;
  }
  if (columnGiven) {
    s->cursorColumn = static_cast<int16_t>(column);
    s->holdCursor = 0;
  }
  if (!rowGiven && !columnGiven && s->holdCursor != 0) s->holdCursor = 2;

  const int32_t shapeBits = given & (kLocateCursorShown | kLocateFirstLine | kLocateLastLine);
  if (shapeBits == 0) return;
  storeCursorShape(*s, cursorShown, firstLine, lastLine, shapeBits);
  if (s->ownership & kIsScreenPage) {
    for (int32_t page = 0; page < pageCount(); ++page) {
      if (ImageSurface* p = surfaceAt(pageSurface(page))) {
        storeCursorShape(*p, cursorShown, firstLine, lastLine, shapeBits);
      }
    }
  }
}

void fitToLine(const RtString& text) {
  if (errorIsPending()) return;
  ImageSurface* s = writeSurface();
  if (s == nullptr || s->isConsole) return;
  if (s->holdCursor != 0 || s->cursorColumn == 1) return;
  // 64-bit sums: a long string must not wrap the comparison around.
  const int64_t length = std::max<int32_t>(text.length, 0);
  if (s->isText) {
    if (s->width < s->cursorColumn + length - 1) newLineOn(*s);
    return;
  }
  const int64_t f = fontWidth(s->font);
  const int64_t printWidth = length * f;
  if (s->width < (s->cursorColumn - 1) * (f != 0 ? f : 1) + printWidth) newLineOn(*s);
}

void printString(const RtString& text, int32_t newline) {
  if (errorIsPending()) return;
  ImageSurface* s = writeSurface();
  if (s == nullptr) return;
  const size_t length = static_cast<size_t>(std::max<int32_t>(text.length, 0));
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.text);
  if (s->isConsole) {
    if (length != 0) std::fwrite(bytes, 1, length, stdout);
    if (newline != 0) std::fputc('\n', stdout);
    std::fflush(stdout);
    return;
  }

  if (s->holdCursor != 0) {
    if (length != 0) {
      s->holdCursor = 0;
      newLineOn(*s);
    } else if (newline != 0) {
      s->holdCursor = 0;
    }
  }
  bool wrapped = false;
  const bool recordRuns = recordsGlyphs(*s);  // nothing in the loop changes font or print mode
  for (size_t i = 0; i < length; ++i) {
    wrapped = false;
    if (const size_t run = recordRuns ? recordRun(*s, bytes + i, length - i) : 0; run != 0) {
      i += run - 1;
      continue;
    }
    const uint8_t code = bytes[i];
    const bool moreFollows = newline != 0 || i + 1 < length;
    if (code < 32 && !passThrough && controlCode(*s, code, moreFollows, wrapped)) continue;
    wrapped = putCharacter(*s, code, moreFollows);
  }
  if (newline != 0 && !wrapped) newLineOn(*s);
}

void newLine() {
  if (errorIsPending()) return;
  if (ImageSurface* s = writeSurface()) newLineOn(*s);
}

void drawGlyph(int32_t code) {
  if (errorIsPending()) return;
  if (ImageSurface* s = writeSurface()) drawGlyphOn(*s, static_cast<uint32_t>(code));
}

void setTextViewport(int32_t topRow, int32_t bottomRow) {
  if (errorIsPending()) return;
  ImageSurface* s = writeSurface();
  if (s == nullptr) return;
  if (topRow < 1 || bottomRow > textGrid(*s).rows || topRow > bottomRow) return raiseError(5);
  s->topRow = static_cast<int16_t>(topRow);
  s->bottomRow = static_cast<int16_t>(bottomRow);
  s->cursorRow = static_cast<int16_t>(topRow);
  s->cursorColumn = 1;
  s->holdCursor = 0;
}

void setPrintPassThrough(bool on) { passThrough = on; }

}  // namespace rt
