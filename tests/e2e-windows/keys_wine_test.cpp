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
#include "tests/e2e/x11_test.h"
#include "tools/x11_driver/x11_driver.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr const char* kTitle = "Ferlang keys probe";

class WineKeysTest : public e2e::X11Test {
 protected:
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

  std::string file(const char* name) const { return program.folder() + "/" + name; }

  bool waitForSize(Window window, int width, int height, int timeoutMs) {
    auto deadline = Clock::now() + milliseconds(timeoutMs);
    while (Clock::now() < deadline) {
      x11driver::Size size = x11driver::windowSize(display, window);
      if (size.width == width && size.height == height) return true;
      std::this_thread::sleep_for(milliseconds(5));
    }
    return false;
  }

  // The keys the probe has read so far, one line each.
  std::vector<std::string> keysRead() const {
    std::vector<std::string> lines;
    std::ifstream in(file("keys.log"));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  std::vector<std::string> waitForKeys(size_t count, int timeoutMs) const {
    auto deadline = Clock::now() + milliseconds(timeoutMs);
    std::vector<std::string> lines = keysRead();
    while (lines.size() < count && Clock::now() < deadline) {
      std::this_thread::sleep_for(milliseconds(10));
      lines = keysRead();
    }
    return lines;
  }

  // The colour of the probe's changing square.
  uint32_t squareColour(Window window) {
    x11driver::Picture picture = x11driver::capture(display, window);
    return picture.pixels.empty() ? 0xFFFFFFFFu : picture.at(50, 50);
  }

  // True when the square shows a colour other than `from` within `timeoutMs`.
  bool squareChanges(Window window, uint32_t from, int timeoutMs) {
    auto deadline = Clock::now() + milliseconds(timeoutMs);
    while (Clock::now() < deadline) {
      if (squareColour(window) != from) return true;
      std::this_thread::sleep_for(milliseconds(10));
    }
    return false;
  }

  static bool wineReady;
  e2e::TempProgram program{KEYS_PROBE_EXE};
};

bool WineKeysTest::wineReady = false;

TEST_F(WineKeysTest, TypedKeysReachReadKeyWithTheirPcCodes) {
  Window window = start();
  ASSERT_NE(window, 0u);
  // The table of the freeglut window's test, where the Windows build gives every key the same
  // codes, and Ctrl+Backspace, which it takes by its key message and so gives the PC's code.
  const struct {
    std::initializer_list<unsigned long> modifiers;
    unsigned long key;
    const char* expected;
  } cases[] = {
      {{}, XK_a, "61"},
      {{XK_Shift_L}, XK_a, "41"},
      {{XK_Control_L}, XK_a, "01"},
      {{XK_Control_L}, XK_c, "03"},
      {{XK_Alt_L}, XK_a, "00 1e"},
      {{XK_Shift_L}, XK_1, "21"},
      {{}, XK_space, "20"},
      {{}, XK_Escape, "1b"},
      {{}, XK_Return, "0d"},
      {{}, XK_BackSpace, "08"},
      {{XK_Control_L}, XK_BackSpace, "7f"},
      {{XK_Shift_L}, XK_Tab, "00 0f"},
      {{}, XK_F1, "00 3b"},
      {{XK_Shift_L}, XK_F1, "00 54"},
      {{}, XK_F10, "00 44"},
      {{}, XK_F12, "00 86"},
      {{}, XK_Up, "00 48"},
      {{XK_Control_L}, XK_Left, "00 73"},
      {{}, XK_Home, "00 47"},
      {{}, XK_Delete, "00 53"},
      {{}, XK_KP_Delete, "00 53"},
      {{}, XK_KP_Up, "00 48"},  // Num Lock is off on the test display
  };
  std::vector<std::string> expected;
  for (const auto& c : cases) {
    x11driver::typeKeyWith(display, window, c.modifiers, c.key);
    expected.push_back(c.expected);
    std::this_thread::sleep_for(milliseconds(40));  // fewer than 15 keys wait at any time
  }
  EXPECT_EQ(waitForKeys(expected.size(), 3000), expected);
  x11driver::sendClose(display, window);
  EXPECT_EQ(e2e::waitForExit(pid, 10000), 0);
  pid = 0;
}

TEST_F(WineKeysTest, PauseFreezesThePictureAndTheNextKeyResumesItWithoutBeingQueued) {
  Window window = start();
  ASSERT_NE(window, 0u);
  ASSERT_TRUE(squareChanges(window, squareColour(window), 2000)) << "the probe animates";
  x11driver::typeKey(display, window, XK_Pause);
  std::this_thread::sleep_for(milliseconds(150));
  uint32_t frozen = squareColour(window);
  EXPECT_FALSE(squareChanges(window, frozen, 700)) << "the picture stays while paused";
  x11driver::typeKey(display, window, XK_x);
  EXPECT_TRUE(squareChanges(window, frozen, 2000)) << "a key resumes the program";
  x11driver::typeKey(display, window, XK_y);
  waitForKeys(1, 2000);
  std::this_thread::sleep_for(milliseconds(100));
  EXPECT_EQ(keysRead(), std::vector<std::string>{"79"}) << "x only ended the pause";
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
