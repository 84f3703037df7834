// Keys typed with XTest into the Windows build's window under Wine, read by the keys probe
// (keys_probe.cpp) through readKey: the same PC codes as the freeglut window gives, Pause and
// Ctrl+Break, and Alt+F4 as a close request.
#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/e2e-windows/wine_program.h"
#include "tests/e2e/process.h"
#include "tests/e2e/keys_probe_test.h"
#include "tools/x11_driver/x11_driver.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr const char* kTitle = "Ferlang keys probe";

class WineKeysTest : public e2e::KeysProbeTest {
 protected:
  WineKeysTest() : KeysProbeTest(KEYS_PROBE_EXE) {}

  static void SetUpTestSuite() { wineReady = e2e::prepareWine(); }
  static void TearDownTestSuite() { e2e::endWinePrograms(); }

  void SetUp() override {
    X11Test::SetUp();
    ASSERT_TRUE(wineReady) << "wine64 could not set up its prefix";
  }

  // Starts the probe and waits for its window with a 640 x 480 client area (no menu bar).
  Window start() {
    pid = e2e::startUnderWine(program.path(), program.folder());
    Window window = x11driver::findWindow(display, kTitle, 30000);
    if (window == 0 || !waitForSize(window, 640, 480, 10000)) return 0;
    return window;
  }

  static bool wineReady;
};

bool WineKeysTest::wineReady = false;

TEST_F(WineKeysTest, TypedKeysReachReadKeyWithTheirPcCodes) {
  Window window = start();
  ASSERT_NE(window, 0u);
  // The keys of the freeglut window's test, and two that only this window reports: F10, which
  // freeglut keeps for itself, and Ctrl+Backspace, taken by its key message with the PC's code.
  std::vector<e2e::TypedKey> keys = e2e::keysWithTheSameCodesEverywhere();
  keys.push_back({{XK_Control_L}, XK_BackSpace, "7f"});
  keys.push_back({{}, XK_F10, "00 44"});
  expectKeysRead(window, keys);
  x11driver::sendClose(display, window);
  EXPECT_EQ(e2e::waitForExit(pid, 10000), 0);
  pid = 0;
}

TEST_F(WineKeysTest, PauseFreezesThePictureAndTheNextKeyResumesItWithoutBeingQueued) {
  Window window = start();
  ASSERT_NE(window, 0u);
  expectPauseHoldsUntilTheNextKey(window);
  x11driver::sendClose(display, window);
  EXPECT_EQ(e2e::waitForExit(pid, 10000), 0);
  pid = 0;
}

TEST_F(WineKeysTest, CtrlBreakEndsTheProgramWithStatus0) {
  Window window = start();
  ASSERT_NE(window, 0u);
  x11driver::typeKeyWith(display, window, {XK_Control_L}, XK_Pause);
  EXPECT_EQ(e2e::waitForExit(pid, 10000), 0);
  pid = 0;
}

TEST_F(WineKeysTest, AltF4IsACloseRequestAndEndsWithStatus0) {
  Window window = start();
  ASSERT_NE(window, 0u);
  x11driver::typeKeyWith(display, window, {XK_Alt_L}, XK_F4);
  EXPECT_EQ(e2e::waitForExit(pid, 10000), 0);
  pid = 0;
}

}  // namespace
