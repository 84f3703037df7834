// Parking ProgramThread at the end of the program or when the process exits.
#include "runtime/core/clock.h"
#include "runtime/core/program_park.h"
#include "runtime/core/shared_flags.h"

namespace rt {

void parkProgramThread() {
  threadsFinished.fetch_or(kProgramParked, std::memory_order_release);
  while (exitInProgress.load(std::memory_order_acquire) == 0) sleepMs(16);
  for (;;) sleepMs(16);
}

}  // namespace rt
