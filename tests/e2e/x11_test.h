// The base of the end-to-end fixtures: a connection to the test display, and the program under
// test, which a failed test may leave running and which TearDown then stops.
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <chrono>
#include <thread>

#include "tests/e2e/process.h"
#include "tools/x11_driver/x11_driver.h"

namespace e2e {

class X11Test : public ::testing::Test {
 protected:
  void SetUp() override {
    display = x11driver::openDisplay();
    ASSERT_NE(display, nullptr) << "the end-to-end tests need a display (scripts/test starts Xvfb)";
  }
  void TearDown() override {
    if (pid > 0) waitForExit(pid, 0);  // kills a program a failed test left running
    if (display != nullptr) XCloseDisplay(display);
  }

  // Waits until `window` has the given size.
  bool waitForSize(Window window, int width, int height, int timeoutMs) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
      x11driver::Size size = x11driver::windowSize(display, window);
      if (size.width == width && size.height == height) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
  }

  // Waits up to five seconds until no window carries `title`. The X server destroys an ended
  // program's window only once it has seen the program's connection close, so a search by
  // title right after an earlier run could find that run's window.
  bool noWindowTitled(const char* title) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (x11driver::findWindow(display, title, 0) != 0) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
  }

  Display* display = nullptr;
  pid_t pid = 0;  // the program under test; 0 once it has been waited for
};

}  // namespace e2e
