// Making an arithmetic fault on a thread of its own and reporting it as TimerEventThread does,
// for the fault tests of every platform.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "runtime/core/fp_signal.h"
#include "tests/support/scripted_message_box.h"

namespace rt::testing {

// Starts `fault` on a thread of its own (the fault arrives on the thread that faults), then
// reports from this thread: the report shows the critical box and ends the process, so this
// returns only when no fault was recorded within two seconds.
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

// Expects `fault`, made on another thread, to show "Division by zero" as a critical error and
// to end the process with status 0.
template <typename Fault>
void expectCriticalDivisionByZero(Fault fault) {
  EXPECT_EXIT(
      {
        ScriptedMessageBox box;
        faultOnWorkerAndReport(fault);
        std::fprintf(stderr, "no fault reported\n");
        std::_Exit(3);
      },
      ::testing::ExitedWithCode(0), "\\[Critical Error\\|Division by zero\\]");
}

}  // namespace rt::testing
