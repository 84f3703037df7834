// Frame builder cost: an unchanged pass (two memory comparisons) and a changed 640 x 480 frame
// (snapshot copy and one palette lookup per pixel).
#include <benchmark/benchmark.h>

#include "runtime/display/frame_builder.h"
#include "runtime/display/frame_ring.h"
#include "runtime/screen/image_surface.h"
#include "runtime/screen/screen_mode.h"

namespace {

void setUpMode12() {
  rt::initScreen();
  rt::setScreenMode(12, 0, 0, 0, 0, rt::kGivenMode);
  for (int32_t y = 0; y < 480; ++y) {
    for (int32_t x = 0; x < 640; ++x) rt::writePixel(x, y, static_cast<uint32_t>((x ^ y) & 15));
  }
}

// Plays the renderer's part so that a frame is always free to claim.
void showNewest(rt::FrameRing& ring) { ring.take(); }

void BM_UnchangedPass(benchmark::State& state) {
  setUpMode12();
  rt::FrameRing ring;
  rt::FrameBuilder builder;
  builder.buildPass(ring, &rt::visibleSurface, 0);
  showNewest(ring);
  for (auto _ : state) {
    builder.buildPass(ring, &rt::visibleSurface, 0);
    showNewest(ring);
  }
}
BENCHMARK(BM_UnchangedPass)->Unit(benchmark::kMicrosecond);

void BM_ChangedFrame640x480(benchmark::State& state) {
  setUpMode12();
  rt::FrameRing ring;
  rt::FrameBuilder builder;
  uint32_t color = 0;
  for (auto _ : state) {
    rt::writePixel(320, 240, ++color);  // one pixel changes: the whole frame converts
    builder.buildPass(ring, &rt::visibleSurface, 0);
    showNewest(ring);
  }
  state.SetItemsProcessed(state.iterations() * 640 * 480);
}
BENCHMARK(BM_ChangedFrame640x480)->Unit(benchmark::kMicrosecond);

}  // namespace
