#include "runtime/core/delay.h"

#include <cstdint>

#include "runtime/core/clock.h"
#include "runtime/core/errors.h"
#include "runtime/core/flag_wait.h"

namespace rt {
namespace {

bool checkpointRequested() { return checkpointPending.load(std::memory_order_acquire) != 0; }

}  // namespace

void delaySeconds(double seconds) {
  int64_t start = millisecondClock();
  if (errorIsPending()) return;
  if (!(seconds >= 0) || seconds > 2147483.647) {
    raiseError(5);
    return;
  }
  const double target = seconds * 1000;
  int64_t previousElapsed = 0;
  for (;;) {
    int64_t now = millisecondClock();
    int64_t elapsed = now - start;
    if (elapsed < 0) {
      // The clock went back: keep the time already waited.
      start = now - previousElapsed;
      elapsed = previousElapsed;
    }
    previousElapsed = elapsed;
    if (static_cast<double>(elapsed) >= target) return;
    int64_t remaining = static_cast<int64_t>(target - static_cast<double>(elapsed));
    if (remaining < 1) remaining = 1;
    // One sleep for the rest of the delay, cut short by a pause or a close, which the
    // checkpoint then acts on; the loop measures again after a wake-up.
    if (sleepUntilFlag(static_cast<int32_t>(remaining), checkpointRequested)) {
      StatementCheckpoint(0);
    }
  }
}

}  // namespace rt
