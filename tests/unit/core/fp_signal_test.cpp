#include "runtime/core/fp_signal.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <csignal>

#include "tests/support/scripted_message_box.h"

namespace rt {
namespace {

TEST(FloatingPointSignalDeathTest, SignalIsCriticalErrorElevenAndEndsWithStatusZero) {
  EXPECT_EXIT(
      {
        testing::ScriptedMessageBox box;
        installFloatingPointSignalHandler();
        std::raise(SIGFPE);
      },
      ::testing::ExitedWithCode(0), "\\[Critical Error\\|Division by zero\\]");
}

TEST(FloatingPointSignalDeathTest, TrappedDivisionByZeroEndsTheProcess) {
  EXPECT_EXIT(
      {
        testing::ScriptedMessageBox box;
        installFloatingPointSignalHandler();
        feenableexcept(FE_DIVBYZERO);
        volatile double zero = 0.0;
        volatile double quotient = 1.0 / zero;
        (void)quotient;
      },
      ::testing::ExitedWithCode(0), "\\[Critical Error\\|Division by zero\\]");
}

}  // namespace
}  // namespace rt
