#include "app/screen_demo.h"

#include "runtime/core/delay.h"
#include "runtime/core/key_queue.h"
#include "runtime/core/program_end.h"
#include "runtime/screen/image_surface.h"
#include "runtime/screen/palette.h"
#include "runtime/screen/screen_mode.h"

namespace app {

void drawDemoPicture() {
  // Sixteen bars of 40 x 240 pixels in colours 0..15 across the top half.
  for (int32_t y = 0; y < 240; ++y) {
    for (int32_t x = 0; x < 640; ++x) rt::writePixel(x, y, static_cast<uint32_t>(x / 40));
  }
  // A frame around the lower half and a diagonal through it, in colour 15.
  for (int32_t x = 0; x < 640; ++x) {
    rt::writePixel(x, 240, 15);
    rt::writePixel(x, 479, 15);
  }
  for (int32_t y = 240; y < 480; ++y) {
    rt::writePixel(0, y, 15);
    rt::writePixel(639, y, 15);
    rt::writePixel(y - 240 + 200, y, 15);
  }
}

void screenDemo() {
  rt::delaySeconds(1);
  rt::setScreenMode(12, 0, 0, 0, 0, rt::kGivenMode);
  rt::setPaletteEntry(0, 3358271, 1);   // pale yellow background
  rt::setPaletteEntry(14, 4144959, 1);  // white
  rt::setPaletteEntry(15, 0, 1);        // black
  drawDemoPicture();
  for (;;) {
    rt::KeyEntry key;
    if (rt::takeKey(key) && key.character == 27) rt::endProgram();
    rt::delaySeconds(0.1);
  }
}

}  // namespace app
