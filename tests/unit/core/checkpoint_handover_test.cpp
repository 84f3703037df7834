// The statement checkpoint as other threads use it: a pause request holds the program thread
// at its next statement until the pause ends, and an exit request parks it, also while paused.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "runtime/core/errors.h"
#include "runtime/core/shared_flags.h"
#include "tests/support/runtime_test.h"

namespace rt {
namespace {

using Clock = std::chrono::steady_clock;

class ConcurrentCheckpointTest : public testing::RuntimeTest {
 protected:
  // The application's side: statements with a checkpoint after each, until `stop` is set.
  void runStatements() {
    for (int32_t line = 1; stop.load(std::memory_order_relaxed) == 0; ++line) {
      if (checkpointPending.load(std::memory_order_relaxed) != 0) StatementCheckpoint(line);
      statements.fetch_add(1, std::memory_order_relaxed);
    }
  }

  // True once the statement count has stood still for 30 ms, within two seconds.
  bool programHeld() {
    auto deadline = Clock::now() + std::chrono::seconds(2);
    while (Clock::now() < deadline) {
      uint64_t before = statements.load();
      std::this_thread::sleep_for(std::chrono::milliseconds(30));
      if (statements.load() == before) return true;
    }
    return false;
  }

  // True once the count moves again, within two seconds.
  bool programRunning() {
    uint64_t before = statements.load();
    auto deadline = Clock::now() + std::chrono::seconds(2);
    while (Clock::now() < deadline) {
      if (statements.load() != before) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
  }

  // What the Pause key does, and what any later key does.
  static void requestPause() {
    presentPaused.fetch_or(1, std::memory_order_release);
    checkpointPending.store(1, std::memory_order_release);
  }
  static void endPause() { presentPaused.fetch_and(~1u, std::memory_order_release); }

  std::atomic<int> stop{0};
  std::atomic<uint64_t> statements{0};
};

TEST_F(ConcurrentCheckpointTest, EveryPauseRequestHoldsTheProgramUntilThePauseEnds) {
  std::thread program([this] { runStatements(); });
  // Other requests arrive all the time (as timed events would), so the program is often inside
  // a checkpoint when a pause request comes.
  std::thread others([this] {
    while (stop.load() == 0) checkpointPending.store(1, std::memory_order_release);
  });
  for (int round = 0; round < 20; ++round) {
    requestPause();
    ASSERT_TRUE(programHeld()) << "round " << round << ": the pause did not hold the program";
    endPause();
    ASSERT_TRUE(programRunning()) << "round " << round << ": the program did not go on";
  }
  stop.store(1);
  others.join();
  program.join();
}

TEST_F(ConcurrentCheckpointTest, ExitRequestParksAPausedProgram) {
  std::thread([this] { runStatements(); }).detach();  // ends parked, never touching the fixture again
  requestPause();
  ASSERT_TRUE(programHeld());
  // What the exit sequence does: exitInProgress first, then the checkpoint request.
  exitInProgress.store(1, std::memory_order_release);
  checkpointPending.store(1, std::memory_order_release);
  auto deadline = Clock::now() + std::chrono::seconds(1);
  while ((threadsFinished.load(std::memory_order_acquire) & kProgramParked) == 0 && Clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_NE(threadsFinished.load() & kProgramParked, 0u);
}

}  // namespace
}  // namespace rt
