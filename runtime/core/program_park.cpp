// Parking ProgramThread at the end of the program or when the process exits.
#include "runtime/core/clock.h"
#include "runtime/core/flag_wait.h"
#include "runtime/core/program_park.h"
#include "runtime/core/shared_flags.h"

namespace rt {
namespace {

bool exitBegun() { return exitInProgress.load(std::memory_order_acquire) != 0; }

}  // namespace

void parkProgramThread() {
  threadsFinished.fetch_or(kProgramParked, std::memory_order_release);
  while (!exitBegun()) sleepUntilFlag(1000, exitBegun);
  for (;;) sleepMs(16);
}

}  // namespace rt
