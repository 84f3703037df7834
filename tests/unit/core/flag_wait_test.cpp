// sleepUntilFlag and wakeFlagWaiters: a set flag ends the sleep, an unset one lets it run out.
#include "runtime/core/flag_wait.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

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

}  // namespace
}  // namespace rt
