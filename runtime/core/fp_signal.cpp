#include "runtime/core/fp_signal.h"

#include <unistd.h>

#include <atomic>
#include <csignal>

#include "runtime/core/errors.h"

namespace rt {

namespace {

// Lock-free, so that the handler's store is async-signal-safe.
std::atomic<int> faultPending{0};
static_assert(std::atomic<int>::is_always_lock_free);

// Runs on the faulting thread: records the fault and keeps the thread here for good. pause()
// is async-signal-safe; the process ends when another thread reports the fault.
void onFloatingPointSignal(int) {
  faultPending.store(1, std::memory_order_release);
  for (;;) pause();
}

}  // namespace

void installFloatingPointSignalHandler() {
  struct sigaction action = {};
  action.sa_handler = onFloatingPointSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGFPE, &action, nullptr);
}

bool floatingPointFaultPending() { return faultPending.load(std::memory_order_acquire) != 0; }

void reportFloatingPointFault() {
  if (floatingPointFaultPending()) raiseError(11);  // critical: message box, then the end
}

}  // namespace rt
