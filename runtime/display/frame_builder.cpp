#include "runtime/display/frame_builder.h"

#include <cstring>

#include "runtime/core/clock.h"
#include "runtime/core/shared_flags.h"
#include "runtime/core/display_pause.h"
#include "runtime/display/window.h"
#include "runtime/platform/message_box.h"
#include "runtime/screen/cell_records.h"
#include "runtime/screen/glyph_draw.h"
#include "runtime/screen/image_surface.h"
#include "runtime/screen/shared_raster.h"

namespace rt {

DisplayOrder displayOrder;

namespace {

// The legacy monochrome mode maps its four attributes through colour numbers 0..8, each a
// pair of grey levels for the two blink phases (off, on).
constexpr uint32_t kMonochromeColors[9][2] = {
    {0xFF000000, 0xFF000000}, {0xFF000000, 0xFFAAAAAA}, {0xFF000000, 0xFFFFFFFF},
    {0xFFAAAAAA, 0xFF000000}, {0xFFAAAAAA, 0xFFAAAAAA}, {0xFFAAAAAA, 0xFFFFFFFF},
    {0xFFFFFFFF, 0xFF000000}, {0xFFFFFFFF, 0xFFAAAAAA}, {0xFFFFFFFF, 0xFFFFFFFF},
};

void acknowledgePause() {
  if (acknowledgeFramePause()) sleepMs(0);
}

}  // namespace

// The first `paletteLength` entries of the surface's palette into livePalette_. In the
// monochrome mode attributes 0..3 take their colour from the colour number in entries 4..7 and
// the blink phase; the builder works that out in its own copy and never writes the surface.
void FrameBuilder::loadPalette(const ImageSurface& s, int paletteLength) {
  if (s.palette == nullptr) {
    livePalette_.fill(0);
    return;
  }
  copyShared32(livePalette_.data(), s.palette, static_cast<size_t>(paletteLength));
  if (s.mode == 10) {
    int phase = (millisecondClock() & 0x200) != 0 ? 1 : 0;
    for (int i = 0; i < 4; ++i) livePalette_[i] = kMonochromeColors[loadShared32(s.palette + 4 + i) % 9][phase];
  }
}

// Compares with the snapshot; the palette (already loaded by loadPalette) first, as it is short.
bool FrameBuilder::snapshotUnchanged(const ImageSurface& s, size_t bytes, int paletteLength) const {
  return (paletteLength == 0 ||
          std::memcmp(paletteSnapshot_.data(), livePalette_.data(), static_cast<size_t>(paletteLength) * 4) == 0) &&
         sharedBytesEqual(s.pixels, pixelSnapshot_.data(), bytes);
}

// Loads the surface's recorded cell words into liveRecords_ (before any pixel is read, see
// cell_records.h); true when they differ from those of the last converted frame.
bool FrameBuilder::loadRecordedCells(const ImageSurface& s) {
  const CellRecords* cells = s.cells;
  const size_t count = cells == nullptr ? 0 : static_cast<size_t>(cells->columns) * static_cast<size_t>(cells->rows);
  liveRecords_.resize(count);
  for (size_t i = 0; i < count; ++i) liveRecords_[i] = loadCellWord(*cells, i);
  return liveRecords_ != recordSnapshot_;
}

// Draws the recorded cells of liveRecords_ over the converted frame, in the colours of the
// palette snapshot, as drawRecordedCell would have drawn them into the pixels.
void FrameBuilder::drawRecordedCells(DisplayFrame& frame, const ImageSurface& s) const {
  if (liveRecords_.empty()) return;
  const auto columns = static_cast<size_t>(s.cells->columns);
  for (size_t i = 0; i < liveRecords_.size(); ++i) {
    const uint32_t word = liveRecords_[i];
    if (word == 0) continue;
    const int rows = cellRows(word);
    const uint8_t* glyph = recordedGlyphRows(rows, cellCode(word));
    const uint32_t fore = paletteSnapshot_[cellFore(word)], back = paletteSnapshot_[cellBack(word)];
    uint32_t* line = frame.pixels + (i / columns) * static_cast<size_t>(rows) * s.width + (i % columns) * 8;
    for (int r = 0; r < rows; ++r, line += s.width, glyph += 8) {
      for (int c = 0; c < 8; ++c) line[c] = glyph[c] != 0 ? fore : back;
    }
  }
}

FrameBuilder::Outcome FrameBuilder::convertIndexed(DisplayFrame& frame, const ImageSurface& s) {
  size_t n = static_cast<size_t>(s.width) * s.height;
  int paletteLength = 1 << s.bitsPerPixel;
  loadPalette(s, paletteLength);
  const bool recordsChanged = loadRecordedCells(s);
  if (n != pixelSnapshot_.size()) {
    pixelSnapshot_.assign(n, 0);  // a new size: nothing to compare with
  } else if (forceFrameRebuild.load(std::memory_order_relaxed) == 0) {
    if (displayOrder.softwareScreen == 0) return Outcome::Discard;
    if (previousFrameValid.load(std::memory_order_relaxed) == 1 && !recordsChanged &&
        snapshotUnchanged(s, n, paletteLength)) {
      return Outcome::Discard;
    }
  }
  if (!frame.ensureSize(s.width, s.height)) return Outcome::Discard;
  std::memcpy(paletteSnapshot_.data(), livePalette_.data(), static_cast<size_t>(paletteLength) * 4);
  copySharedBytes(pixelSnapshot_.data(), s.pixels, n);
  const uint8_t* from = pixelSnapshot_.data();
  const uint32_t* lookup = paletteSnapshot_.data();
  uint32_t* to = frame.pixels;
  for (size_t i = 0; i < n; ++i) to[i] = lookup[from[i]];
  drawRecordedCells(frame, s);
  recordSnapshot_.swap(liveRecords_);
  return Outcome::Publish;
}

FrameBuilder::Outcome FrameBuilder::convertTrueColor(DisplayFrame& frame, const ImageSurface& s) {
  size_t bytes = static_cast<size_t>(s.width) * s.height * 4;
  if (bytes != pixelSnapshot_.size()) {
    pixelSnapshot_.assign(bytes, 0);
  } else if (forceFrameRebuild.load(std::memory_order_relaxed) == 0) {
    if (displayOrder.softwareScreen == 0) return Outcome::Discard;
    if (previousFrameValid.load(std::memory_order_relaxed) == 1 && snapshotUnchanged(s, bytes, 0)) {
      return Outcome::Discard;
    }
  }
  if (!frame.ensureSize(s.width, s.height)) return Outcome::Discard;
  copySharedBytes(pixelSnapshot_.data(), s.pixels, bytes);
  std::memcpy(frame.pixels, pixelSnapshot_.data(), bytes);
  return Outcome::Publish;
}

void FrameBuilder::buildPass(FrameRing& ring, SurfaceSource source, uint32_t counter) {
  acknowledgePause();
  if (source() == nullptr) return;
  // The surface is loaded only after the pause test: once a pause has been acknowledged the
  // program thread may free the surface it replaced.
  if (displayPause.load(std::memory_order_acquire) == DisplayPause::Running) {
    const ImageSurface* surface = source();
    DisplayFrame* frame = ring.claim();
    if (frame == nullptr) {
      showMessageBox("Error", "Software frame buffer: Failed to find available frame",
                     MessageBoxButtons::Ok);
      return;
    }
    Outcome outcome;
    if (surface == nullptr) {
      outcome = Outcome::Discard;
    } else if (surface->isText) {
      outcome = convertText(*frame, *surface, counter);
    } else if (surface->bytesPerPixel == 4) {
      outcome = convertTrueColor(*frame, *surface);
    } else {
      outcome = convertIndexed(*frame, *surface);
    }
    if (outcome == Outcome::Publish) {
      forceFrameRebuild.store(0, std::memory_order_relaxed);
      previousFrameValid.store(1, std::memory_order_relaxed);
      lastPublishedOrder_ = frame->order.load(std::memory_order_relaxed);
      lastRing_ = &ring;
      ring.publish(*frame);
      wakePresenter();
    } else {
      ring.discard(*frame);
    }
  }
  acknowledgePause();
  int32_t turnOff = -1;
  autoDisplay.compare_exchange_strong(turnOff, 0, std::memory_order_relaxed);
}

void buildSoftwareFrame() {
  static FrameBuilder builder;
  builder.buildPass(frameRing(), &visibleSurface, frameCounter.load(std::memory_order_relaxed));
}

}  // namespace rt
