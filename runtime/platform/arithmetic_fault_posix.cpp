// Arithmetic faults on POSIX systems: the SIGFPE signal, delivered to the faulting thread.
#include <unistd.h>

#include <atomic>
#include <csignal>

#include "runtime/platform/arithmetic_fault.h"

namespace rt {
namespace {

std::atomic<ArithmeticFaultRecorder> recorder{nullptr};
static_assert(std::atomic<ArithmeticFaultRecorder>::is_always_lock_free);

// Records the fault and keeps the thread here for good. pause() is async-signal-safe; the
// process ends when another thread reports the fault.
void onFloatingPointSignal(int) {
  if (ArithmeticFaultRecorder record = recorder.load(std::memory_order_acquire)) record();
  for (;;) pause();
}

}  // namespace

void installArithmeticFaultHandler(ArithmeticFaultRecorder record) {
  recorder.store(record, std::memory_order_release);
  struct sigaction action = {};
  action.sa_handler = onFloatingPointSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGFPE, &action, nullptr);
}

}  // namespace rt
