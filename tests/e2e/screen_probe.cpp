// A main program for the end-to-end tests of the screen and window: after a second it selects
// the 640 x 480 mode, sets palette entries 0, 14 and 15 as the plotter does and draws sixteen
// colour bars (colours 0..15, 40 pixels wide) over the top half and a frame with a diagonal in
// colour 15 below. Then, until Escape ends it, it changes palette entry 1 whenever the test
// drops a file "palette-step" holding a packed 6-bit colour into the program's folder.
#include <unistd.h>

#include <fstream>

#include "runtime/core/delay.h"
#include "runtime/core/errors.h"
#include "runtime/core/key_queue.h"
#include "runtime/screen/image_surface.h"
#include "runtime/screen/palette.h"
#include "runtime/screen/screen_mode.h"
#include "runtime/system/program_end.h"
#include "runtime/system/runtime_main.h"

namespace {

void drawPicture() {
  for (int32_t y = 0; y < 240; ++y) {
    for (int32_t x = 0; x < 640; ++x) rt::writePixel(x, y, static_cast<uint32_t>(x / 40));
  }
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

void applyPaletteStep() {
  std::ifstream step("palette-step");
  int32_t color = 0;
  if (step >> color) {
    rt::setPaletteEntry(1, color, 1);
    unlink("palette-step");
  }
}

void probe() {
  rt::delaySeconds(1);
  rt::setScreenMode(12, 0, 0, 0, 0, rt::kGivenMode);
  rt::setPaletteEntry(0, 0x333E3F, 1);
  rt::setPaletteEntry(14, 0x3F3F3F, 1);
  rt::setPaletteEntry(15, 0, 1);
  drawPicture();
  for (;;) {
    applyPaletteStep();
    rt::KeyEntry key;
    if (rt::takeKey(key) && key.character == 27) rt::endProgram();
    rt::delaySeconds(0.002);
    // The statement checkpoint, as after each application statement: parks at exit.
    if (rt::checkpointPending != 0) rt::StatementCheckpoint(0);
  }
}

}  // namespace

int main(int argc, char** argv) { rt::runtimeMain(argc, argv, probe); }
