// Arithmetic faults on Windows: an integer division by zero and an unmasked floating-point
// exception arrive as structured exceptions; each is runtime error 11 once another thread
// reports it. Other exceptions are not taken for faults.
#include <float.h>
#include <gtest/gtest.h>

#include <stdexcept>

#include "runtime/core/fp_signal.h"
#include "tests/support/scripted_message_box.h"
#include "tests/unit/core/fp_fault_test_support.h"

namespace rt {
namespace {

TEST(FloatingPointSignalDeathTest, IntegerDivisionByZeroIsCriticalErrorElevenWithStatusZero) {
  testing::expectCriticalDivisionByZero([] {
    // Both volatile: with a constant 1 on top the compiler needs no division at all.
    volatile int dividend = 7;
    volatile int zero = 0;
    volatile int quotient = dividend / zero;
    (void)quotient;
  });
}

TEST(FloatingPointSignalDeathTest, TrappedFloatingPointDivisionByZeroIsReported) {
  testing::expectCriticalDivisionByZero([] {
    // Unmasks the zero-divide exception of this thread's SSE unit, where doubles are computed
    // on x64.
    unsigned int control = 0;
    _controlfp_s(&control, _MCW_EM & ~_EM_ZERODIVIDE, _MCW_EM);
    volatile double zero = 0.0;
    volatile double quotient = 1.0 / zero;
    (void)quotient;
  });
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
