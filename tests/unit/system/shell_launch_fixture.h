// What the POSIX and the Windows shell-launch tests share: a fresh folder that is the current
// directory while a test runs, the log that the recorder programs append to in it, the
// environment put back after each test, and threads that watch or answer the runtime's flags
// while a command runs.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

#include "runtime/core/rt_string.h"
#include "runtime/core/shared_flags.h"
#include "runtime/display/window_state.h"
#include "runtime/system/shell_launch.h"
#include "tests/support/runtime_test.h"
#include "tests/support/saved_environment.h"
#include "tests/support/temp_folder.h"

namespace rt::testing {

// Samples the shared flags on another thread while a command runs: whether the display was
// suspended for it, and whether the window was full screen meanwhile.
class SuspensionMonitor {
 public:
  SuspensionMonitor()
      : thread_([this] {
          while (!stop_.load()) {
            if (displaySuspended.load() == DisplaySuspension::CommandStarted) {
              sawSuspended = true;
              if (windowState().fullScreenMode.load() != 0) sawFullScreenWhileSuspended = true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
          }
        }) {}
  ~SuspensionMonitor() { stopNow(); }
  SuspensionMonitor(const SuspensionMonitor&) = delete;
  SuspensionMonitor& operator=(const SuspensionMonitor&) = delete;

  void stopNow() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }
  std::atomic<bool> sawSuspended{false};
  std::atomic<bool> sawFullScreenWhileSuspended{false};

 private:
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// Each test runs in a fresh folder of its own, which is the current directory meanwhile; the
// recorder programs append to the log in it.
class ShellLaunchFixture : public RuntimeTest {
 protected:
  // `changedVariables` are put back when the test ends; they include FAKE_LOG, which SetUp points
  // at the log. logEventuallyContains looks every `logPollInterval` for up to `logPatience`.
  ShellLaunchFixture(std::initializer_list<const char*> changedVariables,
                     std::chrono::milliseconds logPatience,
                     std::chrono::milliseconds logPollInterval)
      : savedEnvironment_(changedVariables),
        logPath_((std::filesystem::path(tempFolder_.path()) / "log").string()),
        logPatience_(logPatience),
        logPollInterval_(logPollInterval) {}

  // Enters the folder, names the log to the recorder and starts with the real interpreter.
  void SetUp() override {
    ASSERT_FALSE(folder().empty());
    previousDirectory_ = std::filesystem::current_path();
    std::filesystem::current_path(folder());
    support::setEnvironmentVariable("FAKE_LOG", logPath_);
    setCommandInterpreterForTesting("");
    RuntimeTest::SetUp();
  }

  // Leaves the folder so that it can be removed; the environment goes back when the fixture ends.
  void TearDown() override {
    if (!previousDirectory_.empty()) std::filesystem::current_path(previousDirectory_);
    setCommandInterpreterForTesting("");
    RuntimeTest::TearDown();
  }

  const std::string& folder() const { return tempFolder_.path(); }

  std::string log() const {
    std::ifstream in(logPath_, std::ios::binary);
    std::stringstream contents;
    contents << in.rdbuf();
    return contents.str();
  }
  void clearLog() const {
    std::error_code error;
    std::filesystem::remove(logPath_, error);  // no log yet is no error
    if (error) ADD_FAILURE() << "cannot remove the log: " << error.message();
  }

  // Waits for the log to contain `text` (for programs that run on their own).
  bool logEventuallyContains(std::string_view text) const {
    const auto deadline = std::chrono::steady_clock::now() + logPatience_;
    while (std::chrono::steady_clock::now() < deadline) {
      if (log().find(text) != std::string::npos) return true;
      std::this_thread::sleep_for(logPollInterval_);
    }
    return false;
  }

  static void run(std::string_view command) { runShell(literalString(command), true); }

  // Runs `command` with a fresh log; checks that runShell returned only once the program had
  // ended (its "done" is logged), with the display suspended meanwhile and no longer after.
  void expectRunWaitsWithTheDisplaySuspended(std::string_view command) {
    clearLog();
    SuspensionMonitor monitor;
    run(command);
    monitor.stopNow();
    EXPECT_NE(log().find("done "), std::string::npos) << command << ": returned before the end";
    EXPECT_TRUE(monitor.sawSuspended) << command;
    EXPECT_EQ(displaySuspended.load(), DisplaySuspension::None) << command;
  }

  // Runs the empty command, given and not given (its text then does not count), with a fresh log
  // each time; checks what it logged and that the display was suspended while it ran.
  void expectEmptyCommandWaitsWithTheDisplaySuspended(const std::string& expectedLog) {
    for (bool given : {true, false}) {
      clearLog();
      SuspensionMonitor monitor;
      runShell(literalString(given ? "" : "ignored when not given"), given);
      monitor.stopNow();
      EXPECT_EQ(log(), expectedLog) << given;
      EXPECT_TRUE(monitor.sawSuspended) << given;
      EXPECT_EQ(displaySuspended.load(), DisplaySuspension::None);
    }
  }

 private:
  support::TempFolder tempFolder_{"ferlang-shell-"};
  support::SavedEnvironment savedEnvironment_;
  const std::string logPath_;
  const std::chrono::milliseconds logPatience_;
  const std::chrono::milliseconds logPollInterval_;
  std::filesystem::path previousDirectory_;
};

// Plays the window thread's part of the full-screen hand-over: applies each request.
class FakeWindowThread {
 public:
  FakeWindowThread()
      : thread_([this] {
          while (!stop_.load()) {
            const int32_t request = fullScreenRequest.load();
            if (request != -1) {
              requests_.push_back(request);
              windowState().fullScreenMode.store(request);
              fullScreenRequest.store(-1);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
          }
        }) {}
  ~FakeWindowThread() {
    if (thread_.joinable()) finish();
  }
  FakeWindowThread(const FakeWindowThread&) = delete;
  FakeWindowThread& operator=(const FakeWindowThread&) = delete;

  // Stops the thread and returns the requests it applied, in order.
  std::vector<int32_t> finish() {
    stop_ = true;
    thread_.join();
    return requests_;
  }

 private:
  std::atomic<bool> stop_{false};
  std::vector<int32_t> requests_;
  std::thread thread_;
};

}  // namespace rt::testing
