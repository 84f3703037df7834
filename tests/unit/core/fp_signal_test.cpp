#include "runtime/core/fp_signal.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <chrono>
#include <csignal>
#include <thread>

#include "tests/support/scripted_message_box.h"

namespace rt {
namespace {

// Starts `fault` on a thread of its own (the signal arrives on the thread that faults), then
// reports from this thread as TimerEventThread does: the report shows the critical box and
// ends the process, so this returns only when no fault was recorded within two seconds.
template <typename Fault>
void faultOnWorkerAndReport(Fault fault) {
  installFloatingPointSignalHandler();
  std::thread(fault).detach();
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (std::chrono::steady_clock::now() < deadline) {
    reportFloatingPointFault();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

TEST(FloatingPointSignalDeathTest, SignalOnAnotherThreadIsCriticalErrorElevenWithStatusZero) {
  EXPECT_EXIT(
      {
        testing::ScriptedMessageBox box;
        faultOnWorkerAndReport([] { std::raise(SIGFPE); });
        std::fprintf(stderr, "no fault reported\n");
        std::_Exit(3);
      },
      ::testing::ExitedWithCode(0), "\\[Critical Error\\|Division by zero\\]");
}

TEST(FloatingPointSignalDeathTest, TrappedDivisionByZeroIsReportedAndEndsTheProcess) {
  EXPECT_EXIT(
      {
        testing::ScriptedMessageBox box;
        faultOnWorkerAndReport([] {
          feenableexcept(FE_DIVBYZERO);
          volatile double zero = 0.0;
          volatile double quotient = 1.0 / zero;
          (void)quotient;
        });
        std::fprintf(stderr, "no fault reported\n");
        std::_Exit(3);
      },
      ::testing::ExitedWithCode(0), "\\[Critical Error\\|Division by zero\\]");
}

TEST(FloatingPointSignalTest, NothingIsReportedWithoutAFault) {
  testing::ScriptedMessageBox box;
  installFloatingPointSignalHandler();
  EXPECT_FALSE(floatingPointFaultPending());
  reportFloatingPointFault();
  EXPECT_EQ(box.shownCount(), 0u);
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
