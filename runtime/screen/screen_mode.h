// Screen modes and pages: selecting a legacy screen mode builds the screen's page 0 (and, for
// the text screen, its eight pages) and makes it the write, read and visible surface.
//
// The screen is a list of pages (PageTable: page number -> surface index). A rebuild frees the
// old pages, so it pauses the frame builder first; switching pages only changes the current
// surface references. ProgramThread only.
#pragma once

#include <cstdint>

namespace rt {

// Bits of setScreenMode's `given`.
inline constexpr int32_t kGivenMode = 1;
inline constexpr int32_t kGivenActivePage = 4;
inline constexpr int32_t kGivenVisiblePage = 8;

// Selects a screen mode and/or the active and visible pages. The second and fifth values are
// ignored. Errors: 5 (mode 3..6 or above 13, negative page), 258 (negative mode naming no
// surface). ProgramThread.
void setScreenMode(int32_t mode, int32_t second, int32_t activePage, int32_t visiblePage,
                   int32_t fifth, int32_t given);

// Start-up: fills the screen tables and selects the 80 x 25 text screen without clearing the
// start-up allowance. Also used by tests to start from a clean state.
void initScreen();

// Surface index of a page, 0 when it does not exist.
int32_t pageSurface(int32_t page);
// Length of the page table (pages 0 .. pageCount() - 1 may exist).
int32_t pageCount();
int32_t activePageNumber();

// The start-up allowance: until a screen mode is selected explicitly, positioning the text
// cursor below the first text screen may enlarge it to 50 rows.
bool startupAllowanceOn();
void clearStartupAllowance();

// Rebuilds the first text screen as 80 x 50 (font 8), keeping the first 25 rows' cells, the
// cursor and the colours. ProgramThread.
void growTextScreenTo50Rows();

}  // namespace rt
