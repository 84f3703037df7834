// delaySeconds: its range check, its length and its checkpoints.
#include "runtime/core/delay.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <thread>

#include "runtime/core/errors.h"
#include "runtime/core/shared_flags.h"
#include "tests/support/runtime_test.h"
#include "tests/support/scripted_message_box.h"

namespace rt {
namespace {

using Clock = std::chrono::steady_clock;

class DelayTest : public testing::RuntimeTest {
 protected:
  // The delay's length in milliseconds.
  static double timed(double seconds) {
    auto start = Clock::now();
    delaySeconds(seconds);
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  }
  testing::ScriptedMessageBox box;
};

TEST_F(DelayTest, OutOfRangeValuesAreError5WithoutWaiting) {
  const double values[] = {-1, -0.001, 2147483.648, 1e300,
                           std::numeric_limits<double>::infinity(),
                           std::numeric_limits<double>::quiet_NaN()};
  for (double value : values) {
    pendingError = 0;
    EXPECT_LT(timed(value), 5) << value;
    EXPECT_EQ(pendingError, 5u) << value;
  }
}

TEST_F(DelayTest, MinusOneIsReportedAsIllegalFunctionCallAtTheCheckpoint) {
  delaySeconds(-1);
  ASSERT_EQ(checkpointPending, 1);
  StatementCheckpoint(120);
  ASSERT_EQ(box.shown.size(), 1u);
  EXPECT_EQ(box.shown[0].caption, "Unhandled Error #5");
  EXPECT_EQ(box.shown[0].text, "Line:120\nIllegal function call\nContinue?");
  EXPECT_EQ(pendingError, 0u) << "Yes continues with the next statement";
}

TEST_F(DelayTest, ZeroReturnsAtOnceAndShortDelaysSleepOnce) {
  EXPECT_LT(timed(0), 2);
  double ms = timed(0.005);
  EXPECT_GE(ms, 4.5);
  EXPECT_LT(ms, 40);
  ms = timed(0.05);
  EXPECT_GE(ms, 49.5);
  EXPECT_LT(ms, 150);
  EXPECT_EQ(pendingError, 0u);
}

TEST_F(DelayTest, PendingErrorMakesItReturnAtOnce) {
  pendingError = 53;
  EXPECT_LT(timed(2), 5);
  EXPECT_EQ(pendingError, 53u) << "no second error";
  EXPECT_TRUE(box.shown.empty());
}

// A user pause holds the program inside a delay's checkpoint until a key ends it; the time
// already waited still counts, so the delay ends as soon as the pause does.
TEST_F(DelayTest, ConcurrentPauseHoldsTheDelayUntilItEnds) {
  presentPaused.store(1);
  checkpointPending.store(1);
  std::thread key([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    presentPaused.fetch_and(~1u);
  });
  double ms = timed(0.03);
  key.join();
  EXPECT_GE(ms, 140);
  EXPECT_LT(ms, 400);
}

// The delay sleeps in one piece, so a pause requested in the middle must wake it: the
// checkpoint takes the request at once, not when the second has run out.
TEST_F(DelayTest, PauseRequestedDuringTheDelayIsTakenAtOnce) {
  double takenAfterMs = -1;
  std::thread key([&takenAfterMs] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    auto requested = Clock::now();
    presentPaused.fetch_or(1);
    requestCheckpoint();
    while (checkpointPending.load() != 0 && Clock::now() - requested < std::chrono::seconds(5)) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    takenAfterMs = std::chrono::duration<double, std::milli>(Clock::now() - requested).count();
    presentPaused.fetch_and(~1u);
  });
  double ms = timed(1);
  key.join();
  EXPECT_LT(takenAfterMs, 500) << "the request waited for the end of the sleep";
  EXPECT_GE(ms, 999);
}

}  // namespace
}  // namespace rt
