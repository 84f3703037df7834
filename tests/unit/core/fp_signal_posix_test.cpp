// Arithmetic faults on POSIX systems: a trapped floating-point division by zero arrives as
// SIGFPE, and the handler only records it.
#include <gtest/gtest.h>

#include <cfenv>
#include <chrono>
#include <csignal>
#include <thread>

#include "runtime/core/fp_signal.h"
#include "tests/support/scripted_message_box.h"
#include "tests/unit/core/fp_fault_test_support.h"

namespace rt {
namespace {

TEST(FloatingPointSignalDeathTest, TrappedDivisionByZeroIsReportedAndEndsTheProcess) {
  // 64-bit ARM may leave floating-point traps out (most cores and qemu do): nothing to trap.
  if (feenableexcept(FE_DIVBYZERO) == -1) GTEST_SKIP() << "this processor cannot trap";
  fedisableexcept(FE_DIVBYZERO);
  testing::expectCriticalDivisionByZero([] {
    feenableexcept(FE_DIVBYZERO);
    volatile double zero = 0.0;
    volatile double quotient = 1.0 / zero;
    (void)quotient;
  });
}

// The handler itself shows nothing and does not end the process: the faulting thread stays in
// it while the rest of the process runs on, so the handler did only signal-safe work.
TEST(FloatingPointSignalTest, HandlerOnlyRecordsTheFaultAndHoldsTheFaultingThread) {
  testing::ScriptedMessageBox box;
  installFloatingPointSignalHandler();
  std::thread([] { std::raise(SIGFPE); }).detach();
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (!floatingPointFaultPending() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_TRUE(floatingPointFaultPending());
  EXPECT_EQ(box.shownCount(), 0u);
}

}  // namespace
}  // namespace rt
