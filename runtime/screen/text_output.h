// Text output into the write surface: cursor positioning, the fit rule, printing with its
// control codes, wrapping and scrolling, glyph drawing and clearing.
//
// Text uses the write surface's text fields (cursor, viewport topRow..bottomRow, colours, font,
// holdCursor, printMode). On a graphics surface a character cell is fontWidth x fontHeight
// pixels and cell (row r, column c), both 1-based, starts at pixel ((c - 1) * fontWidth,
// (r - 1) * fontHeight); on a text surface it is one 16-bit cell (code, attribute).
//
// holdCursor: a print that fills the last column of a row without asking for a line end leaves
// the cursor on that column with holdCursor set; the next non-empty print performs the
// postponed line feed first. So a line that ends exactly at the right edge never scrolls early.
//
// Every operation returns at once while a runtime error is pending and reports failures through
// raiseError (error 5). ProgramThread only; none blocks except the 250 ms bell of code 7.
#pragma once

#include <cstdint>

#include "runtime/core/rt_string.h"

namespace rt {

struct ImageSurface;

// Bits of locateCursor's `given`.
inline constexpr int32_t kLocateRow = 1;
inline constexpr int32_t kLocateColumn = 2;
inline constexpr int32_t kLocateCursorShown = 4;
inline constexpr int32_t kLocateFirstLine = 8;
inline constexpr int32_t kLocateLastLine = 16;

// Bits of clearScreen's `given`.
inline constexpr int32_t kClearKind = 1;
inline constexpr int32_t kClearColor = 2;

// Moves the text cursor and/or sets the text-mode cursor shape. Rows topRow..bottomRow and the
// grid's last row are accepted; anything else is error 5 and changes nothing. Before the first
// explicit screen-mode selection a row of 26..50 enlarges the start-up text screen to 80 x 50.
void locateCursor(int32_t row, int32_t column, int32_t cursorShown, int32_t firstLine,
                  int32_t lastLine, int32_t given);

// Starts a new line when `text` would not fit on the rest of the current one. Called before
// every printed item.
void fitToLine(const RtString& text);

// Prints the bytes of `text` at the cursor. `newline` 0 leaves the cursor after the last
// character; non-zero ends with a line feed. Control codes 7, 9..13 and 28..31 act, every
// other byte is drawn as a glyph. Does not keep `text` beyond the call.
void printString(const RtString& text, int32_t newline);

// Cursor to column 1 of the next row, scrolling the text viewport when it passes bottomRow.
void newLine();

// Draws the character cell `code` (low 8 bits) at the cursor without moving the cursor.
void drawGlyph(int32_t code);

// Clears the screen: `kind` 0 whole surface, 1 the view, 2 the text viewport; nothing given
// clears as the mode's default does. The cursor goes to column 1 of topRow; holdCursor stays.
void clearScreen(int32_t kind, uint32_t color, int32_t given);

// The print window: text rows topRow..bottomRow scroll, and the cursor goes to column 1 of
// topRow with holdCursor 0. Rows outside 1..the grid's row count, or topRow > bottomRow, are
// error 5 and change nothing.
void setTextViewport(int32_t topRow, int32_t bottomRow);

// When on, printString draws every byte as a glyph instead of acting on control codes. Off at
// start; the application never turns it on.
void setPrintPassThrough(bool on);

}  // namespace rt
