#include "runtime/core/fp_signal.h"

#include <csignal>

#include "runtime/core/errors.h"
#include "runtime/platform/process_exit.h"

namespace rt {

namespace {

void onFloatingPointSignal(int) {
  raiseError(11);  // critical: message box, then the process ends
  endProcess(0);   // not reached; returning would re-run the faulting instruction
}

}  // namespace

void installFloatingPointSignalHandler() {
  struct sigaction action = {};
  action.sa_handler = onFloatingPointSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGFPE, &action, nullptr);
}

}  // namespace rt
