// Arithmetic faults on Windows: an integer division by zero and an unmasked floating-point
// exception arrive as structured exceptions, a SIGFPE raised by hand through the C library; each
// is runtime error 11 once another thread reports it.
#include <float.h>
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <stdexcept>
#include <thread>

#include "runtime/core/fp_signal.h"
#include "tests/support/scripted_message_box.h"

namespace rt {
namespace {

// Starts `fault` on a thread of its own (the fault arrives on the thread that faults), then
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

TEST(FloatingPointSignalDeathTest, IntegerDivisionByZeroIsCriticalErrorElevenWithStatusZero) {
  EXPECT_EXIT(
      {
        testing::ScriptedMessageBox box;
        faultOnWorkerAndReport([] {
          // Both volatile: with a constant 1 on top the compiler needs no division at all.
          volatile int dividend = 7;
          volatile int zero = 0;
          volatile int quotient = dividend / zero;
          (void)quotient;
        });
        std::fprintf(stderr, "no fault reported\n");
        std::_Exit(3);
      },
      ::testing::ExitedWithCode(0), "\\[Critical Error\\|Division by zero\\]");
}

TEST(FloatingPointSignalDeathTest, TrappedFloatingPointDivisionByZeroIsReported) {
  EXPECT_EXIT(
      {
        testing::ScriptedMessageBox box;
        faultOnWorkerAndReport([] {
          // Unmasks the zero-divide exception of this thread's SSE unit, where doubles are
          // computed on x64.
          unsigned int control = 0;
          _controlfp_s(&control, _MCW_EM & ~_EM_ZERODIVIDE, _MCW_EM);
          volatile double zero = 0.0;
          volatile double quotient = 1.0 / zero;
          (void)quotient;
        });
        std::fprintf(stderr, "no fault reported\n");
        std::_Exit(3);
      },
      ::testing::ExitedWithCode(0), "\\[Critical Error\\|Division by zero\\]");
}

TEST(FloatingPointSignalDeathTest, RaisedSignalOnAnotherThreadIsCriticalErrorEleven) {
  EXPECT_EXIT(
      {
        testing::ScriptedMessageBox box;
        faultOnWorkerAndReport([] { std::raise(SIGFPE); });
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

// Another kind of exception is left to whoever handles it: the handler takes arithmetic faults
// only.
TEST(FloatingPointSignalTest, OtherExceptionsAreNotTakenForFaults) {
  testing::ScriptedMessageBox box;
  installFloatingPointSignalHandler();
  bool caught = false;
  try {
    throw std::runtime_error("not arithmetic");
  } catch (const std::runtime_error&) {
    caught = true;
  }
  EXPECT_TRUE(caught);
  EXPECT_FALSE(floatingPointFaultPending());
}

}  // namespace
}  // namespace rt
