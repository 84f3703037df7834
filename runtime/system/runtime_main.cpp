#include "runtime/system/runtime_main.h"

#include <filesystem>
#include <string>
#include <system_error>
#include <thread>

#include "runtime/core/clock.h"
#include "runtime/core/fp_signal.h"
#include "runtime/core/low_memory.h"
#include "runtime/core/shared_flags.h"
#include "runtime/core/string_engine.h"
#include "runtime/display/key_events.h"
#include "runtime/display/window.h"
#include "runtime/platform/display_check.h"
#include "runtime/platform/lock_keys.h"
#include "runtime/platform/process_exit.h"
#include "runtime/platform/program_folder.h"
#include "runtime/platform/x87_precision.h"
#include "runtime/screen/cell_records.h"
#include "runtime/screen/screen_mode.h"
#include "runtime/system/runtime_threads.h"

namespace rt {
namespace {

// Records the lock states that are on and the modifier keys that are down at start, as presses.
void readKeyboardAtStart() { recordKeysAtStart(readLockKeys(), readKeysDown()); }

template <typename Entry>
void startDetached(Entry entry) {
  std::thread(entry).detach();
}

MainProgram programEntry = nullptr;

// ProgramThread's entry: the application's long double arithmetic gets the x87's full 64-bit
// mantissa (Windows starts threads at 53 bits), the floating-point exception signal becomes
// runtime error 11, then the application runs. It never returns: it ends in endProgram or
// parks at exit.
void programThread() {
  useExtendedPrecision();
  installFloatingPointSignalHandler();
  programEntry();
}

}  // namespace

void enterWorkingFolder(const std::string& folder) {
  if (folder.empty()) {
    enterProgramFolder();
    return;
  }
  std::error_code error;
  std::filesystem::current_path(folder, error);
  if (error) endProcessWithError("cannot use the folder \"" + folder + "\": " + error.message());
}

void prepareRuntime() {
  resetLowMemory();
  initStringEngine();  // static storage and the permanent strings
  setTimeBase(alignToWallClockSecond());
  initScreen();  // default palettes and the 80 x 25 text screen
  // Only the frame builder and the program's own operations look at the screen from here on,
  // and both see recorded cells: opaque text is recorded instead of drawn.
  setCellRecording(true);
}

void runtimeMain(int argc, char** argv, MainProgram mainProgram, const std::string& folder) {
  // Without a display nothing is started: one line on standard error and status 1.
  const std::string problem = displayProblem(argc, argv);
  if (!problem.empty()) endProcessWithError(problem);
  runtimeMainOnDisplay(argc, argv, mainProgram, folder);
}

void runtimeMainOnDisplay(int argc, char** argv, MainProgram mainProgram, const std::string& folder) {
  prepareWindowLibrary();
  enterWorkingFolder(folder);
  prepareRuntime();
  readKeyboardAtStart();

  programEntry = mainProgram;
  startDetached(programThread);
  startDetached(timerEventThread);
  displayRunning.store(1, std::memory_order_release);
  startDetached(runtimeLoopThread);

  runWindowLoop(argc, argv);
}

}  // namespace rt
