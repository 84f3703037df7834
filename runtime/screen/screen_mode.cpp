// Selecting screen modes, building the screen's pages and switching between them.
#include "runtime/screen/screen_mode.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "runtime/core/display_pause.h"
#include "runtime/core/errors.h"
#include "runtime/core/shared_flags.h"
#include "runtime/screen/cell_records.h"
#include "runtime/screen/image_surface.h"
#include "runtime/screen/palette.h"

namespace rt {
namespace {

constexpr int kTextPages = 8;
constexpr size_t kTextBlockBytes = 65536;
constexpr size_t kMode13Bytes = 64000;

struct ScreenState {
  std::vector<int32_t> pages;   // page number -> surface index (0 = none)
  int32_t activePage = 0;
  int32_t visiblePage = 0;
  int32_t borrowedScreen = 0;   // a surface made the screen by a negative mode; never freed here
  bool startupAllowance = true;
};

ScreenState screen;
// Fixed blocks the legacy screens live in: the first text pages and the mode-13 raster.
alignas(16) uint8_t textBlock[kTextBlockBytes];
alignas(16) uint8_t mode13Block[kMode13Bytes];

ImageSurface* pageZero() {
  return screen.pages.empty() ? nullptr : surfaceAt(screen.pages[0]);
}

bool isModeNumber(int32_t mode) { return mode == 0 || mode == 1 || mode == 2 || (mode >= 7 && mode <= 13); }

struct TextLayout {
  int columns, rows, font;
};

// The text screen takes its size from the previous screen's grid.
TextLayout textLayoutAfter(TextGrid old) {
  if (old.columns == 80 && (old.rows == 50 || old.rows == 43)) return {80, old.rows, 8};
  if (old.columns == 40 && (old.rows == 50 || old.rows == 43)) return {40, old.rows, 9};
  if (old.columns == 40 && old.rows == 25) return {40, 25, 17};
  return {80, 25, 16};
}

struct GraphicsLayout {
  int width, height;
};

GraphicsLayout graphicsLayoutOf(int32_t mode) {
  switch (mode) {
    case 11:
    case 12: return {640, 480};
    case 9:
    case 10: return {640, 350};
    case 2:
    case 8: return {640, 200};
    default: return {320, 200};  // 1, 7, 13
  }
}

void freePages() {
  for (int32_t index : screen.pages) {
    if (index == 0) continue;
    if (index == screen.borrowedScreen) {
      if (ImageSurface* s = surfaceAt(index)) s->ownership &= ~kIsScreenPage;
      continue;
    }
    freeSurface(index);
  }
  screen.pages.assign(1, 0);
  screen.borrowedScreen = 0;
}

// Creates the text screen's eight pages; the first ones share the fixed 64 KiB block.
int32_t buildTextScreen(TextLayout layout) {
  size_t pageBytes = static_cast<size_t>(layout.columns) * layout.rows * 2;
  size_t inBlock = std::min<size_t>(kTextPages, kTextBlockBytes / pageBytes);
  screen.pages.assign(kTextPages, 0);
  for (int page = 0; page < kTextPages; ++page) {
    int32_t index = static_cast<size_t>(page) < inBlock
                        ? createSurfaceOver(layout.columns, layout.rows, 0, textBlock + page * pageBytes)
                        : createSurface(layout.columns, layout.rows, 0);
    if (index == 0) return 0;
    ImageSurface& s = *surfaceAt(index);
    setSurfaceFont(layout.font, s);
    s.ownership |= kIsScreenPage;
    if (page > 0) {
      // Every page shows page 0's palette.
      std::free(s.palette);
      s.ownership &= ~kOwnsPalette;
      s.palette = surfaceAt(screen.pages[0])->palette;
    }
    screen.pages[static_cast<size_t>(page)] = index;
  }
  return screen.pages[0];
}

int32_t buildGraphicsScreen(int32_t mode, TextGrid old) {
  GraphicsLayout layout = graphicsLayoutOf(mode);
  int32_t index = mode == 13 ? createSurfaceOver(layout.width, layout.height, 13, mode13Block)
                             : createSurface(layout.width, layout.height, mode);
  if (index == 0) return 0;
  ImageSurface& s = *surfaceAt(index);
  bool keepSmallFont = ((mode == 11 || mode == 12) && old.columns == 80 && old.rows == 60) ||
                       ((mode == 9 || mode == 10) && old.columns == 80 && old.rows == 43);
  if (keepSmallFont) setSurfaceFont(8, s);
  screen.pages[0] = index;
  return index;
}

void makePageZeroCurrent() {
  int32_t index = screen.pages[0];
  if (ImageSurface* s = surfaceAt(index)) {
    s->ownership |= kIsScreenPage;
    s->turnAngle = 0;
    s->drawScale = 1;
  }
  setWriteSurface(index);
  setReadSurface(index);
  setVisibleSurface(index);
  screen.activePage = 0;
  screen.visiblePage = 0;
}

// Frees the screen and builds a new one with `build` (given the old character grid), with the
// frame builder paused because the old pages' memory goes away; then page 0 becomes current.
template <typename Build>
void rebuildWith(Build build) {
  bool running = displayRunning.load(std::memory_order_acquire) != 0;
  if (running) pauseFrameBuilder();
  previousFrameValid.store(0, std::memory_order_relaxed);
  ImageSurface* old = pageZero();
  TextGrid oldGrid = old != nullptr ? textGrid(*old) : TextGrid{};
  freePages();
  build(oldGrid);
  makePageZeroCurrent();
  if (running) resumeFrameBuilder();
}

// Rebuilds the screen for `mode`, or around the surface `borrowed` when it is not 0.
void rebuildScreen(int32_t mode, int32_t borrowed) {
  rebuildWith([&](TextGrid oldGrid) {
    if (borrowed != 0) {
      screen.pages[0] = borrowed;
      screen.borrowedScreen = borrowed;
    } else if (mode == 0) {
      buildTextScreen(textLayoutAfter(oldGrid));
    } else {
      buildGraphicsScreen(mode, oldGrid);
    }
  });
}

// Looks up a page, creating it on first use with page 0's size, mode, font and palette.
int32_t pageOrNew(int32_t page) {
  if (static_cast<size_t>(page) >= screen.pages.size()) screen.pages.resize(static_cast<size_t>(page) + 1, 0);
  int32_t& index = screen.pages[static_cast<size_t>(page)];
  if (index != 0) return index;
  ImageSurface* zero = pageZero();
  if (zero == nullptr) return 0;
  index = createSurface(zero->width, zero->height, zero->mode);
  if (index == 0) return 0;
  ImageSurface& s = *surfaceAt(index);
  zero = pageZero();  // creating a surface may have grown the table
  std::free(s.palette);
  s.ownership &= ~kOwnsPalette;
  s.palette = zero->palette;
  setSurfaceFont(zero->font, s);
  s.ownership |= kIsScreenPage;
  return index;
}

void copyGraphicsBlock(const ImageSurface& from, ImageSurface& to) {
  constexpr size_t begin = offsetof(ImageSurface, graphicsBegin);
  constexpr size_t end = offsetof(ImageSurface, graphicsEnd);
  std::memcpy(reinterpret_cast<uint8_t*>(&to) + begin,
              reinterpret_cast<const uint8_t*>(&from) + begin, end - begin);
}

void switchActivePage(int32_t page) {
  ImageSurface* previous = writeSurface();
  // The page the program leaves keeps its picture in pixels alone.
  if (previous != nullptr) revealAllCells(*previous);
  int32_t index = pageOrNew(page);
  ImageSurface* target = surfaceAt(index);
  if (target == nullptr) return;
  setWriteSurface(index);
  setReadSurface(index);
  screen.activePage = page;
  target->foreColor = startForeground(target->mode);
  target->backColor = startBackground(target->mode);
  target->topRow = 1;
  int rows = textGrid(*target).rows;
  target->bottomRow = static_cast<int16_t>(rows - 1 < 1 ? 1 : rows - 1);
  if (target->cursorRow > target->bottomRow) target->cursorRow = 1;
  if (!target->isText && previous != nullptr && previous != target) copyGraphicsBlock(*previous, *target);
}

void switchVisiblePage(int32_t page) {
  int32_t index = pageOrNew(page);
  if (index == 0) return;
  if (ImageSurface* shown = visibleSurface()) revealAllCells(*shown);
  screen.visiblePage = page;
  setVisibleSurface(index);
}

}  // namespace

void initScreen() {
  resetSurfaceTable();
  screen = ScreenState{};
  rebuildScreen(0, 0);
}

int32_t pageSurface(int32_t page) {
  if (page < 0 || static_cast<size_t>(page) >= screen.pages.size()) return 0;
  return screen.pages[static_cast<size_t>(page)];
}

int32_t pageCount() { return static_cast<int32_t>(screen.pages.size()); }

int32_t activePageNumber() { return screen.activePage; }

bool startupAllowanceOn() { return screen.startupAllowance; }
void clearStartupAllowance() { screen.startupAllowance = false; }

void setScreenMode(int32_t mode, int32_t second, int32_t activePage, int32_t visiblePage,
                   int32_t fifth, int32_t given) {
  (void)second;
  (void)fifth;
  if (errorIsPending()) return;
  bool modeGiven = given & kGivenMode;
  if (!(modeGiven && mode == 0 && (given & ~kGivenMode) == 0)) clearStartupAllowance();

  ImageSurface* zero = pageZero();
  bool rebuild = false;
  int32_t borrowed = 0;
  if (modeGiven && mode < 0) {
    borrowed = -mode;
    if (surfaceAt(borrowed) == nullptr) {
      raiseError(258);
      return;
    }
    rebuild = screen.pages.empty() || screen.pages[0] != borrowed;
  } else if (modeGiven && !isModeNumber(mode)) {
    raiseError(5);
    return;
  } else {
    rebuild = zero == nullptr || (modeGiven && mode != zero->mode);
  }

  bool activeGiven = given & kGivenActivePage, visibleGiven = given & kGivenVisiblePage;
  if ((activeGiven && activePage < 0) || (visibleGiven && visiblePage < 0)) {
    raiseError(5);
    return;
  }
  if (activeGiven && !visibleGiven) visiblePage = activePage, visibleGiven = true;

  if (rebuild) rebuildScreen(modeGiven ? mode : 0, borrowed);
  if (activeGiven && activePage != screen.activePage) switchActivePage(activePage);
  if (visibleGiven && visiblePage != screen.visiblePage) switchVisiblePage(visiblePage);
}

void growTextScreenTo50Rows() {
  ImageSurface* old = pageZero();
  if (old == nullptr || !old->isText) return;
  // Keep the first 25 rows of cells and the text state across the rebuild.
  const int oldWidth = old->width;
  std::vector<uint8_t> cells(old->pixels, old->pixels + static_cast<size_t>(oldWidth) * 25 * 2);
  const uint32_t fore = old->foreColor, back = old->backColor;
  const int16_t row = old->cursorRow, column = old->cursorColumn;
  rebuildWith([&](TextGrid) {
    if (buildTextScreen({80, 50, 8}) == 0) return;
    ImageSurface& s = *pageZero();
    const size_t rowBytes = static_cast<size_t>(std::min(oldWidth, 80)) * 2;
    for (int r = 0; r < 25; ++r) {
      std::memcpy(s.pixels + static_cast<size_t>(r) * 160,
                  cells.data() + static_cast<size_t>(r) * static_cast<size_t>(oldWidth) * 2, rowBytes);
    }
    s.foreColor = fore;
    s.backColor = back;
    s.cursorRow = row;
    s.cursorColumn = column;
  });
}

}  // namespace rt
