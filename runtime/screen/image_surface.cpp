// SurfaceTable, surface creation and release, font metrics and the current surfaces.
#include "runtime/screen/image_surface.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "runtime/core/errors.h"
#include "runtime/screen/cell_records.h"
#include "runtime/screen/palette.h"

namespace rt {
namespace {

constexpr int32_t kChunkRecords = 4096;

// Records live in fixed chunks so that growing the table never moves a record.
struct SurfaceTableState {
  std::vector<std::unique_ptr<ImageSurface[]>> chunks;
  int32_t used = 0;               // indices handed out so far (never-used ones follow)
  std::vector<int32_t> freeList;  // released indices, most recent last
};

// Never destroyed: surfaces live until the process ends, and a destructor running at exit
// would free the records while other threads may still read them.
SurfaceTableState& table = *new SurfaceTableState;

std::atomic<ImageSurface*> writeRecord{nullptr}, readRecord{nullptr}, visibleRecord{nullptr};
std::atomic<int32_t> writeIndex{0}, readIndex{0}, visibleIndex{0};

ImageSurface& record(int32_t index) {
  return table.chunks[static_cast<size_t>(index / kChunkRecords)][index % kChunkRecords];
}

int32_t allocateIndex() {
  int32_t index;
  if (!table.freeList.empty()) {
    index = table.freeList.back();
    table.freeList.pop_back();
  } else {
    if (table.used == static_cast<int32_t>(table.chunks.size()) * kChunkRecords) {
      ImageSurface* chunk = new (std::nothrow) ImageSurface[kChunkRecords]();
      if (chunk == nullptr) raiseError(502);
      table.chunks.emplace_back(chunk);
    }
    index = table.used++;
  }
  if (table.freeList.capacity() < static_cast<size_t>(table.used)) {
    try {
      table.freeList.reserve(table.freeList.capacity() + kChunkRecords);
    } catch (const std::bad_alloc&) {
      raiseError(503);
    }
  }
  record(index) = ImageSurface{};
  record(index).valid = 1;
  return index;
}

bool isValidMode(int32_t mode) {
  return mode == 0 || mode == 1 || mode == 2 || (mode >= 7 && mode <= 13) || mode == 32 ||
         mode == 256;
}

int bitsPerPixelOf(int32_t mode) {
  switch (mode) {
    case 0: return 16;
    case 1: return 2;
    case 2: return 1;
    case 7:
    case 8:
    case 9:
    case 12: return 4;
    case 10: return 2;
    case 11: return 1;
    case 32: return 32;
    default: return 8;  // 13, 256
  }
}

int32_t startFontOf(int32_t mode) {
  switch (mode) {
    case 1:
    case 2:
    case 7:
    case 8:
    case 13: return 8;
    case 9:
    case 10: return 14;
    default: return 16;
  }
}

}  // namespace

uint32_t startForeground(int32_t mode) {
  switch (mode) {
    case 0: return 7;
    case 1:
    case 10: return 3;
    case 2:
    case 11: return 1;
    case 32: return 0xFFFFFFFFu;
    default: return 15;
  }
}

uint32_t startBackground(int32_t mode) { return mode == 32 ? 0xFF000000u : 0; }

namespace {

void setStartState(ImageSurface& s, int32_t width, int32_t height, int32_t mode) {
  s.isText = mode == 0;
  s.width = static_cast<uint16_t>(width);
  s.height = static_cast<uint16_t>(height);
  s.mode = static_cast<uint16_t>(mode);
  s.bitsPerPixel = static_cast<uint8_t>(bitsPerPixelOf(mode));
  s.bytesPerPixel = static_cast<uint8_t>(mode == 0 ? 2 : (mode == 32 ? 4 : 1));
  s.colorMask = s.bitsPerPixel >= 32 ? 0xFFFFFFFFu : (1u << s.bitsPerPixel) - 1;
  s.font = startFontOf(mode);
  s.foreColor = startForeground(mode);
  s.backColor = startBackground(mode);
  s.drawColor = s.foreColor;
  s.printMode = 3;
  s.turnAngle = 0;
  s.drawScale = 1;
  s.transparentColor = -1;
  s.cursorFirstLine = 4;
  s.cursorLastLine = 4;
  setSurfaceFont(s.font, s);
  if (!s.isText) {
    s.penX = static_cast<float>(width / 2);
    s.penY = static_cast<float>(height / 2);
    s.viewX2 = width - 1;
    s.viewY2 = height - 1;
    s.scaleX = s.scaleY = 1;
    s.windowX2 = static_cast<float>(s.viewX2);
    s.windowY2 = static_cast<float>(s.viewY2);
  }
}

void fillBlankCells(ImageSurface& s) {
  size_t cells = static_cast<size_t>(s.width) * s.height;
  for (size_t i = 0; i < cells; ++i) {
    s.pixels[2 * i] = 0x20;
    s.pixels[2 * i + 1] = 0x07;
  }
}

int32_t createSurfaceWith(int32_t width, int32_t height, int32_t mode, uint8_t* pixels) {
  if (width < 1 || height < 1 || width > 0xFFFF || height > 0xFFFF || !isValidMode(mode)) return 0;
  int32_t index = allocateIndex();
  ImageSurface& s = record(index);
  setStartState(s, width, height, mode);
  if (mode != 32) {
    s.palette = static_cast<uint32_t*>(std::calloc(256, sizeof(uint32_t)));
    if (s.palette == nullptr) {
      freeSurface(index);
      return 0;
    }
    s.ownership |= kOwnsPalette;
    fillModePalette(s.palette, mode);
  }
  size_t bytes = static_cast<size_t>(width) * static_cast<size_t>(height) * s.bytesPerPixel;
  if (pixels == nullptr) {
    s.pixels = static_cast<uint8_t*>(std::calloc(bytes, 1));
    if (s.pixels == nullptr) {
      freeSurface(index);
      return 0;
    }
    s.ownership |= kOwnsPixels;
  } else {
    s.pixels = pixels;
    std::memset(pixels, 0, bytes);
  }
  if (s.isText) fillBlankCells(s);
  createCellRecords(s);
  return index;
}

}  // namespace

void resetSurfaceTable() {
  for (int32_t i = 2; i < table.used; ++i) freeSurface(i);
  table = SurfaceTableState{};
  setWriteSurface(0);
  setReadSurface(0);
  setVisibleSurface(0);
  // Indices 0 and 1 are allocated and left invalid so that no surface ever has them.
  for (int i = 0; i < 2; ++i) record(allocateIndex()).valid = 0;
}

int32_t createSurface(int32_t width, int32_t height, int32_t mode) {
  return createSurfaceWith(width, height, mode, nullptr);
}

int32_t createSurfaceOver(int32_t width, int32_t height, int32_t mode, uint8_t* pixels) {
  return pixels == nullptr ? 0 : createSurfaceWith(width, height, mode, pixels);
}

void freeSurface(int32_t index) {
  ImageSurface* s = surfaceAt(index);
  if (s == nullptr) return;
  if (s->ownership & kOwnsPixels) std::free(s->pixels);
  if (s->ownership & kOwnsPalette) std::free(s->palette);
  freeCellRecords(*s);
  // A memory-block lock would be released here; this system creates none.
  *s = ImageSurface{};
  table.freeList.push_back(index);
}

ImageSurface* surfaceAt(int32_t index) {
  if (index < 2 || index >= table.used) return nullptr;
  ImageSurface& s = record(index);
  return s.valid ? &s : nullptr;
}

void resetPalette(ImageSurface& surface) {
  if (surface.bitsPerPixel >= 32 || surface.palette == nullptr) return;
  fillModePalette(surface.palette, surface.mode);
}

void setSurfaceFont(int32_t font, ImageSurface& s) {
  // Recorded cells are laid out in the old font's rows.
  revealAllCells(s);
  s.font = font;
  s.cursorRow = 1;
  s.cursorColumn = 1;
  s.topRow = 1;
  int rows = textGrid(s).rows;
  s.bottomRow = static_cast<int16_t>(rows - 1 < 1 ? 1 : rows - 1);
}

ImageSurface* writeSurface() { return writeRecord.load(std::memory_order_relaxed); }
ImageSurface* readSurface() { return readRecord.load(std::memory_order_relaxed); }
ImageSurface* visibleSurface() { return visibleRecord.load(std::memory_order_acquire); }
int32_t writeSurfaceIndex() { return writeIndex.load(std::memory_order_relaxed); }
int32_t readSurfaceIndex() { return readIndex.load(std::memory_order_relaxed); }
int32_t visibleSurfaceIndex() { return visibleIndex.load(std::memory_order_relaxed); }

void setWriteSurface(int32_t index) {
  writeIndex.store(index, std::memory_order_relaxed);
  writeRecord.store(surfaceAt(index), std::memory_order_relaxed);
}
void setReadSurface(int32_t index) {
  readIndex.store(index, std::memory_order_relaxed);
  readRecord.store(surfaceAt(index), std::memory_order_relaxed);
}
void setVisibleSurface(int32_t index) {
  visibleIndex.store(index, std::memory_order_relaxed);
  visibleRecord.store(surfaceAt(index), std::memory_order_release);
}

void writePixel(int32_t x, int32_t y, uint32_t color) {
  ImageSurface& s = *writeSurface();
  size_t at = static_cast<size_t>(y) * s.width + static_cast<size_t>(x);
  if (s.bytesPerPixel == 1) {
    revealCells(s, x, y, x, y);
    storeSharedByte(s.pixels + at, static_cast<uint8_t>(color & s.colorMask));
    return;
  }
  if (s.bytesPerPixel != 4) return;  // text cells are not pixels
  uint32_t* pixel = reinterpret_cast<uint32_t*>(s.pixels) + at;
  uint32_t alpha = color >> 24;
  if (s.alphaDisabled || alpha == 255) {
    storeShared32(pixel, color);
  } else if (alpha != 0) {
    // Source-over blend of each component; the result's alpha accumulates coverage.
    uint32_t old = *pixel, blended = 0;
    for (int shift = 0; shift < 24; shift += 8) {
      uint32_t src = (color >> shift) & 0xFF, dst = (old >> shift) & 0xFF;
      blended |= ((src * alpha + dst * (255 - alpha) + 127) / 255) << shift;
    }
    uint32_t outAlpha = alpha + ((old >> 24) * (255 - alpha) + 127) / 255;
    storeShared32(pixel, blended | outAlpha << 24);
  }
}

}  // namespace rt
