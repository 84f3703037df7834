// sleepUntilFlag and wakeFlagWaiters: a set flag ends the sleep, an unset one lets it run out.
#include "runtime/core/flag_wait.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "runtime/core/errors.h"
#include "runtime/core/shared_flags.h"

namespace rt {
namespace {

using Clock = std::chrono::steady_clock;

std::atomic<int> flag{0};
bool flagIsSet() { return flag.load() != 0; }
bool neverSet() { return false; }

double msSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

class FlagWaitTest : public testing::Test {
 protected:
  void SetUp() override { flag = 0; }
};

TEST_F(FlagWaitTest, AFlagAlreadySetReturnsTrueWithoutSleeping) {
  flag = 1;
  auto start = Clock::now();
  EXPECT_TRUE(sleepUntilFlag(10000, flagIsSet));
  EXPECT_LT(msSince(start), 1000);
}

TEST_F(FlagWaitTest, AnUnsetFlagSleepsTheWholeTimeAndReturnsFalse) {
  auto start = Clock::now();
  EXPECT_FALSE(sleepUntilFlag(30, flagIsSet));
  EXPECT_GE(msSince(start), 29);
}

// The setter's wake-up ends a long sleep long before it would run out.
TEST_F(FlagWaitTest, AFlagSetByAnotherThreadEndsTheSleep) {
  std::thread setter([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    flag = 1;
    wakeFlagWaiters();
  });
  auto start = Clock::now();
  bool set = sleepUntilFlag(20000, flagIsSet);
  double ms = msSince(start);
  setter.join();
  EXPECT_TRUE(set);
  EXPECT_LT(ms, 10000) << "the wake-up was lost";
}

// A wake-up for another thread's flag leaves a waiter asleep until its own time runs out.
TEST_F(FlagWaitTest, AWakeUpForAnotherFlagDoesNotEndTheSleep) {
  std::thread other([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    wakeFlagWaiters();
  });
  auto start = Clock::now();
  EXPECT_FALSE(sleepUntilFlag(80, neverSet));
  double ms = msSince(start);
  other.join();
  EXPECT_GE(ms, 79);
}

// Every request that another thread sleeps for sets its flag and wakes the sleeper: a request
// without the wake-up would leave a delay or RuntimeLoopThread asleep for its whole time.
TEST_F(FlagWaitTest, EachRequestSetsItsFlagAndWakesItsSleeper) {
  struct Request {
    const char* name;
    void (*request)();
    bool (*isSet)();
    void (*reset)();
  };
  const Request requests[] = {
      {"checkpoint", requestCheckpoint, [] { return checkpointPending.load() != 0; },
       [] { checkpointPending = 0; }},
      {"stop", requestStop, [] { return stopRequested.load() != 0; }, [] { stopRequested = 0; }},
      {"close", [] { requestClose(kCloseBoxUsed); },
       [] { return closeRequested.load() == kCloseBoxUsed; }, [] { closeRequested = 0; }},
  };
  for (const Request& r : requests) {
    r.reset();
    std::thread requester([&r] {
      std::this_thread::sleep_for(std::chrono::milliseconds(30));
      r.request();
    });
    auto start = Clock::now();
    bool set = sleepUntilFlag(20000, r.isSet);
    double ms = msSince(start);
    requester.join();
    r.reset();
    EXPECT_TRUE(set) << r.name;
    EXPECT_LT(ms, 10000) << r.name << ": the wake-up was lost";
  }
}

}  // namespace
}  // namespace rt
