// A test program for the message box: shows one message and prints the answer's number.
//   dialog_probe <where> <yesno|ok> <caption> <text>
// where: "main"   on the main thread, with no other window;
//        "thread" on a worker thread, with no other window;
//        "window" on ProgramThread while the runtime's window runs its loop on the main
//                 thread (the probe waits for that window first); the process then ends
//                 through the runtime's own exit with status 0.
// Prints "answer <number>" on standard output (0 Failed, 1 OK, 6 Yes, 7 No).
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "runtime/core/program_park.h"
#include "runtime/core/shared_flags.h"
#include "runtime/display/window_state.h"
#include "runtime/platform/message_box.h"
#include "runtime/system/runtime_main.h"

namespace {

std::string caption, text;
rt::MessageBoxButtons buttons = rt::MessageBoxButtons::YesNo;

void showAndPrint() {
  rt::MessageBoxAnswer answer = rt::showMessageBox(caption, text, buttons);
  std::printf("answer %d\n", static_cast<int>(answer));
  std::fflush(stdout);
}

void programWithWindow() {
  for (int waited = 0; waited < 1000 && !rt::windowExists.load(); ++waited) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  showAndPrint();
  rt::stopRequested.store(1);
  rt::parkProgramThread();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: dialog_probe main|thread|window yesno|ok <caption> <text>\n");
    return 2;
  }
  buttons =
      std::strcmp(argv[2], "ok") == 0 ? rt::MessageBoxButtons::Ok : rt::MessageBoxButtons::YesNo;
  caption = argv[3];
  text = argv[4];
  if (std::strcmp(argv[1], "thread") == 0) {
    std::thread(showAndPrint).join();
  } else if (std::strcmp(argv[1], "window") == 0) {
    char* runtimeArguments[] = {argv[0], nullptr};
    rt::runtimeMain(1, runtimeArguments, programWithWindow);
  } else {
    showAndPrint();
  }
  return 0;
}
