// A main program for the end-to-end tests: a mode-12 screen filled with colour 1 whose
// palette entry 1 changes whenever the test drops a file "palette-step" holding a packed
// 6-bit colour into the program's folder.
#include <unistd.h>

#include <fstream>

#include "runtime/core/delay.h"
#include "runtime/core/errors.h"
#include "runtime/core/runtime_main.h"
#include "runtime/screen/image_surface.h"
#include "runtime/screen/palette.h"
#include "runtime/screen/screen_mode.h"

namespace {

void probe() {
  rt::setScreenMode(12, 0, 0, 0, 0, rt::kGivenMode);
  for (int32_t y = 0; y < 480; ++y) {
    for (int32_t x = 0; x < 640; ++x) rt::writePixel(x, y, 1);
  }
  for (;;) {
    std::ifstream step("palette-step");
    int32_t color = 0;
    if (step >> color) {
      rt::setPaletteEntry(1, color, 1);
      unlink("palette-step");
    }
    rt::delaySeconds(0.002);
    // The statement checkpoint, as after each application statement: parks at exit.
    if (rt::checkpointPending != 0) rt::StatementCheckpoint(0);
  }
}

}  // namespace

int main(int argc, char** argv) { rt::runtimeMain(argc, argv, probe); }
