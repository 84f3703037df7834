// Keys typed into a real window with XTest, read by a probe program through readKey; Pause,
// Ctrl+Break, Alt+Enter, the close box during a long delay, and the window title.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "tests/e2e/process.h"
#include "tests/e2e/keys_probe_test.h"
#include "tools/x11_driver/x11_driver.h"

// After the test framework: Xlib's macros (None, Bool, ...) would clash with its names.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr const char* kTitle = "Ferlang keys probe";

// Locks or unlocks modifiers from the test's own connection: the window gets no key event.
void lockModifiers(Display* display, unsigned int mask, bool on) {
  XkbLockModifiers(display, XkbUseCoreKbd, mask, on ? mask : 0);
  XSync(display, False);
}

class KeysTest : public e2e::KeysProbeTest {
 protected:
  KeysTest() : KeysProbeTest(KEYS_PROBE_BINARY) {}

  // Starts the probe in `mode` and waits for its window at 640 x 480, moved to the origin.
  Window start(const std::string& mode = "") {
    if (!mode.empty()) std::ofstream(file("probe-mode")) << mode;
    pid = e2e::startProgram(program.path(), program.folder());
    Window window = x11driver::findWindow(display, kTitle, 10000);
    if (window == 0 || !waitForSize(window, 640, 480, 5000)) return 0;
    x11driver::moveToOrigin(display, window);
    return window;
  }

  // True when the last line of locks.log is `bits` within `timeoutMs`.
  bool waitForLocks(const std::string& bits, int timeoutMs) const {
    auto deadline = Clock::now() + milliseconds(timeoutMs);
    for (;;) {
      std::ifstream in(file("locks.log"));
      std::string line, last;
      while (std::getline(in, line)) last = line;
      if (last == bits) return true;
      if (Clock::now() > deadline) return false;
      std::this_thread::sleep_for(milliseconds(10));
    }
  }

  bool waitForFile(const char* name, int timeoutMs) const {
    auto deadline = Clock::now() + milliseconds(timeoutMs);
    while (!std::filesystem::exists(file(name))) {
      if (Clock::now() > deadline) return false;
      std::this_thread::sleep_for(milliseconds(5));
    }
    return true;
  }
};

TEST_F(KeysTest, TypedKeysReachReadKeyWithTheirPcCodes) {
  Window window = start();
  ASSERT_NE(window, 0u);
  expectKeysRead(window, e2e::keysWithTheSameCodesEverywhere());
}

TEST_F(KeysTest, PauseFreezesThePictureAndTheNextKeyResumesItWithoutBeingQueued) {
  Window window = start();
  ASSERT_NE(window, 0u);
  expectPauseHoldsUntilTheNextKey(window);
}

TEST_F(KeysTest, CtrlBreakEndsTheProgramWithStatus0) {
  Window window = start();
  ASSERT_NE(window, 0u);
  x11driver::typeKeyWith(display, window, {XK_Control_L}, XK_Pause);
  EXPECT_EQ(e2e::waitForExit(pid, 3000), 0);
  pid = 0;
}

TEST_F(KeysTest, AltEnterFiveTimesReturnsToTheWindowAt640x480AndTheProgramKeepsRunning) {
  Window window = start();
  ASSERT_NE(window, 0u);
  int screenWidth = DisplayWidth(display, DefaultScreen(display));
  int screenHeight = DisplayHeight(display, DefaultScreen(display));
  for (int press = 1; press <= 5; ++press) {
    x11driver::typeKeyWith(display, window, {XK_Alt_L}, XK_Return);
    if (press == 1) {
      EXPECT_TRUE(waitForSize(window, screenWidth, screenHeight, 3000)) << "full screen";
    } else {
      std::this_thread::sleep_for(milliseconds(150));
    }
  }
  EXPECT_TRUE(waitForSize(window, 640, 480, 3000));
  x11driver::typeKey(display, window, XK_k);
  EXPECT_EQ(waitForKeys(1, 2000), std::vector<std::string>{"6b"}) << "Alt+Enter queues nothing";
  x11driver::sendClose(display, window);
  EXPECT_EQ(e2e::waitForExit(pid, 3000), 0);
  pid = 0;
}

TEST_F(KeysTest, ClosingTheWindowDuringA60SecondDelayEndsTheProcessWithin200Ms) {
  Window window = start("delay");
  ASSERT_NE(window, 0u);
  ASSERT_TRUE(waitForFile("delaying", 5000));
  std::this_thread::sleep_for(milliseconds(100));
  auto closed = Clock::now();
  x11driver::sendClose(display, window);
  int status = e2e::waitForExit(pid, 5000);
  auto took = std::chrono::duration_cast<milliseconds>(Clock::now() - closed);
  pid = 0;
  EXPECT_EQ(status, 0);
  EXPECT_LT(took.count(), 200);
  RecordProperty("closeMs", static_cast<int>(took.count()));
  EXPECT_FALSE(std::filesystem::exists(file("delay-ended")));
}

// The names of the top-level windows that are not in `before`.
std::vector<std::string> newWindowNames(Display* display, const std::set<Window>& before,
                                        std::set<Window>* all = nullptr) {
  std::vector<std::string> names;
  Window root = DefaultRootWindow(display), parent = 0, *children = nullptr;
  unsigned int count = 0;
  if (XQueryTree(display, root, &root, &parent, &children, &count) == 0) return names;
  for (unsigned int i = 0; i < count; ++i) {
    if (all != nullptr) all->insert(children[i]);
    if (before.count(children[i]) != 0) continue;
    char* name = nullptr;
    if (XFetchName(display, children[i], &name) != 0 && name != nullptr) {
      names.emplace_back(name);
      XFree(name);
    }
  }
  if (children != nullptr) XFree(children);
  return names;
}

TEST_F(KeysTest, ATitleSetBeforeTheWindowExistsIsItsNameWhenItAppears) {
  std::set<Window> before;
  newWindowNames(display, {}, &before);
  pid = e2e::startProgram(program.path(), program.folder());
  std::vector<std::string> names;
  auto deadline = Clock::now() + milliseconds(10000);
  while (names.empty() && Clock::now() < deadline) {
    names = newWindowNames(display, before);
    std::this_thread::sleep_for(milliseconds(1));
  }
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(names[0], kTitle) << "the first name the window shows";
  ASSERT_TRUE(waitForFile("title-set", 5000));
  std::string when;
  std::ifstream(file("title-set")) >> when;
  EXPECT_EQ(when, "before-window");
}

TEST_F(KeysTest, ATitleChangedAfterTheWindowExistsIsFoundByItAtOnce) {
  Window window = start("rename");
  ASSERT_NE(window, 0u);
  ASSERT_TRUE(waitForFile("renamed", 5000));
  std::string result;
  std::ifstream(file("renamed")) >> result;
  EXPECT_EQ(result, "found");
  EXPECT_EQ(x11driver::findWindow(display, "Ferlang keys probe renamed", 0), window);
}

// Caps Lock and Num Lock switched by another client reach the keyboard status byte, and so
// does switching them off again: the runtime follows the window system's lock state, not only
// the keys its window sees.
TEST_F(KeysTest, LockKeysSwitchedByAnotherClientReachTheKeyboardStatus) {
  Window window = start();
  ASSERT_NE(window, 0u);
  struct Unlock {
    Display* display;
    ~Unlock() { lockModifiers(display, LockMask | Mod2Mask, false); }
  } unlock{display};
  ASSERT_TRUE(waitForLocks("00", 3000)) << "both locks are off on the test display";
  lockModifiers(display, LockMask, true);
  EXPECT_TRUE(waitForLocks("40", 2000)) << "Caps Lock on";
  lockModifiers(display, Mod2Mask, true);
  EXPECT_TRUE(waitForLocks("60", 2000)) << "Num Lock on as well";
  lockModifiers(display, LockMask | Mod2Mask, false);
  EXPECT_TRUE(waitForLocks("00", 2000)) << "both off again";
  x11driver::sendClose(display, window);
  EXPECT_EQ(e2e::waitForExit(pid, 5000), 0);
  pid = 0;
}

}  // namespace
