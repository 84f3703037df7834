// Arithmetic faults, on every platform: a fault on another thread is reported as the critical
// runtime error 11 and ends the process with status 0; without a fault nothing is shown.
#include "runtime/core/fp_signal.h"

#include <gtest/gtest.h>

#include <csignal>

#include "tests/support/scripted_message_box.h"
#include "tests/unit/core/fp_fault_test_support.h"

namespace rt {
namespace {

TEST(FloatingPointSignalDeathTest, RaisedSignalOnAnotherThreadIsCriticalErrorEleven) {
  testing::expectCriticalDivisionByZero([] { std::raise(SIGFPE); });
}

TEST(FloatingPointSignalTest, NothingIsReportedWithoutAFault) {
  testing::ScriptedMessageBox box;
  installFloatingPointSignalHandler();
  EXPECT_FALSE(floatingPointFaultPending());
  reportFloatingPointFault();
  EXPECT_EQ(box.shownCount(), 0u);
}

}  // namespace
}  // namespace rt
