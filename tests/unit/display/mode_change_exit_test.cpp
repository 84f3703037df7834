// A close or end request that arrives while the program thread is changing the screen mode:
// RuntimeLoopThread stops building frames and waits for the program thread to park, so the
// mode change must give up its wait for the builder and park instead of spinning for ever.
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <thread>

#include "runtime/core/display_pause.h"
#include "runtime/core/errors.h"
#include "runtime/core/shared_flags.h"
#include "runtime/display/frame_builder.h"
#include "runtime/screen/image_surface.h"
#include "runtime/screen/screen_mode.h"
#include "tests/support/runtime_test.h"
#include "tests/support/runtime_test.h"

namespace rt {
namespace {

// The application's side: mode changes for ever, with a checkpoint after each statement.
// Ends parked (it never returns), so it runs detached.
void changeModesUntilParked() {
  for (int32_t step = 0;; ++step) {
    setScreenMode(step % 2 == 0 ? 12 : 0, 0, 0, 0, 0, kGivenMode);
    if (checkpointPending.load(std::memory_order_relaxed) != 0) StatementCheckpoint(step);
  }
}

void resetForRound() {
  testing::resetRuntimeFlags();
  initScreen();
  displayRunning.store(1);
}

bool programParkedWithin(std::chrono::milliseconds limit) {
  auto deadline = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < deadline) {
    if ((threadsFinished.load(std::memory_order_acquire) & kProgramParked) != 0) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return false;
}

TEST(ConcurrentModeChangeTest, ExitDuringModeChangesAlwaysParksTheProgramThread) {
  std::mt19937 random(20261208);
  constexpr int kRounds = 150;
  for (int round = 0; round < kRounds; ++round) {
    resetForRound();
    FrameRing ring;
    FrameBuilder builder;
    std::thread(changeModesUntilParked).detach();
    // RuntimeLoopThread: a few builder passes, then it leaves its loop at a random moment and
    // starts the exit sequence, building no frame from then on.
    int passes = static_cast<int>(random() % 8);
    for (int pass = 0; pass < passes; ++pass) {
      builder.buildPass(ring, &visibleSurface, 0);
      std::this_thread::sleep_for(std::chrono::microseconds(random() % 3000));
    }
    exitInProgress.store(1, std::memory_order_release);
    checkpointPending.store(1, std::memory_order_release);
    ASSERT_TRUE(programParkedWithin(std::chrono::seconds(1)))
        << "round " << round << ": the program thread did not park after " << passes << " passes";
  }
}

}  // namespace
}  // namespace rt
