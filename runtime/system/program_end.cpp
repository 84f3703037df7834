// The end of the application's main program: the "Press any key to continue" prompt.
#include "runtime/system/program_end.h"

#include "runtime/core/clock.h"
#include "runtime/core/key_queue.h"
#include "runtime/core/program_park.h"
#include "runtime/core/shared_flags.h"
#include "runtime/files/file_open.h"
#include "runtime/screen/cell_records.h"
#include "runtime/screen/image_surface.h"
#include "runtime/screen/text_output.h"

namespace rt {
namespace {

// Prints the prompt on the last text row of the visible screen, which becomes the print window.
void showPrompt() {
  // The program's picture is final: its recorded cells, and then the prompt's, become pixels.
  if (ImageSurface* written = writeSurface()) revealAllCells(*written);
  setWriteSurface(visibleSurfaceIndex());
  ImageSurface* screen = writeSurface();
  if (screen == nullptr) return;
  int32_t lastRow = textGrid(*screen).rows;
  setTextViewport(lastRow, lastRow);
  printString(literalString(""), 1);  // clears the row
  printString(literalString("Press any key to continue"), 0);
  revealAllCells(*screen);
}

}  // namespace

void endProgram() {
  closeAllFiles();
  closeInterception.store(0, std::memory_order_relaxed);
  showPrompt();
  // Keys pressed before the prompt was shown do not dismiss it.
  KeyEntry key;
  while (takeKey(key)) sleepMs(0);
  autoDisplay.store(1, std::memory_order_relaxed);
  for (;;) {
    sleepMs(100);
    if (exitInProgress.load(std::memory_order_acquire) != 0) parkProgramThread();
    if (takeKey(key)) break;
  }
  requestStop();
  parkProgramThread();
}

}  // namespace rt
