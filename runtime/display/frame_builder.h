// The frame builder: converts the visible surface into 32-bit frames for the renderer.
//
// Runs on RuntimeLoopThread every pass of its loop (32 ms) while autoDisplay is non-zero. Each
// pass snapshots the visible surface's pixel bytes and palette and compares them with the
// previous snapshot: an unchanged screen costs two memory comparisons and publishes nothing; a
// changed one is converted by one palette lookup per pixel from the snapshot (so the live
// surface is read once) and published in the FrameRing. Text screens redraw only the cells
// that changed into a copy of the previous frame. ProgramThread draws meanwhile: every read of
// the live pixels, palette and cursor goes through shared_raster.h.
//
// Text cells that ProgramThread recorded instead of drawing (cell_records.h) are part of the
// picture: a pass loads the cell words first (acquire), then the pixels, and draws the recorded
// cells over the converted frame. The cell words join the pixels and palette in the change test.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <vector>

#include "runtime/display/frame_ring.h"

namespace rt {

struct ImageSurface;

// Display layer positions 1..4; 0 hides a layer. Only the software screen is used here.
struct DisplayOrder {
  int32_t softwareScreen = 1;
  int32_t hardwareImages = 2;
  int32_t openGlLayer = 3;
  int32_t secondHardwareLayer = 4;
};
extern DisplayOrder displayOrder;

class FrameBuilder {
 public:
  // Where a pass finds the surface to show (nullptr = hidden screen).
  using SurfaceSource = ImageSurface* (*)();

  // One pass over the surface `source` names into `ring`. `frameCounter` drives text
  // blinking (bit 3). RuntimeLoopThread (tests call it directly).
  void buildPass(FrameRing& ring, SurfaceSource source, uint32_t frameCounter);

 private:
  enum class Outcome { Publish, Discard };

  Outcome convertIndexed(DisplayFrame& frame, const ImageSurface& s);
  Outcome convertTrueColor(DisplayFrame& frame, const ImageSurface& s);
  Outcome convertText(DisplayFrame& frame, const ImageSurface& s, uint32_t frameCounter);
  void loadPalette(const ImageSurface& s, int paletteLength);
  bool snapshotUnchanged(const ImageSurface& s, size_t bytes, int paletteLength) const;
  bool loadRecordedCells(const ImageSurface& s);
  void drawRecordedCells(DisplayFrame& frame, const ImageSurface& s) const;

  std::vector<uint8_t> pixelSnapshot_;
  std::array<uint32_t, 256> paletteSnapshot_{};
  std::array<uint32_t, 256> livePalette_{};  // the palette as this pass shows it
  std::vector<uint8_t> liveCells_;           // text screens: the cells this pass draws from
  std::vector<uint32_t> liveRecords_;        // graphics screens: recorded cell words of this pass
  std::vector<uint32_t> recordSnapshot_;     // and of the last converted frame
  // Text screens: the cursor and blink phase drawn into the last published frame, and that
  // frame's order so that its pixels can be found again.
  int32_t lastCursorRow_ = 0, lastCursorColumn_ = 0;
  bool lastCursorDrawn_ = false;
  bool lastBlinkOn_ = true;
  uint64_t lastPublishedOrder_ = 0;
  FrameRing* lastRing_ = nullptr;
};

// The builder pass RuntimeLoopThread runs: the process's builder over visibleSurface.
void buildSoftwareFrame();

}  // namespace rt
