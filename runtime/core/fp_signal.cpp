#include "runtime/core/fp_signal.h"

#include <atomic>

#include "runtime/core/errors.h"
#include "runtime/platform/arithmetic_fault.h"

namespace rt {

namespace {

// Lock-free, so that the store on the faulting thread is async-signal-safe.
std::atomic<int> faultPending{0};
static_assert(std::atomic<int>::is_always_lock_free);

// Runs on the faulting thread, which the platform then holds for good; the process ends when
// another thread reports the fault.
void recordFault() { faultPending.store(1, std::memory_order_release); }

}  // namespace

void installFloatingPointSignalHandler() { installArithmeticFaultHandler(recordFault); }

bool floatingPointFaultPending() { return faultPending.load(std::memory_order_acquire) != 0; }

void reportFloatingPointFault() {
  if (floatingPointFaultPending()) raiseError(11);  // critical: message box, then the end
}

}  // namespace rt
