// The fixture of the keys probe's tests (keys_probe.cpp), shared by the freeglut window's tests
// and the Windows build's under Wine: the probe writes each key it reads to "keys.log" in its
// folder and paints a square whose colour changes while it runs.
#pragma once

#include <chrono>
#include <cstdint>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/e2e/process.h"
#include "tests/e2e/x11_test.h"
#include "tools/x11_driver/x11_driver.h"

#include <X11/keysym.h>

namespace e2e {

// A key typed with modifiers held, and the codes readKey gives for it, in hexadecimal.
struct TypedKey {
  std::vector<unsigned long> modifiers;
  unsigned long key;
  const char* expected;
};

// Keys that reach readKey with the same codes in every window of ours: letters with Shift, Ctrl
// and Alt, digits, Escape, Enter, Backspace, Shift+Tab, function and cursor keys, and the keypad
// with Num Lock off (as it is on the test display).
inline const std::vector<TypedKey>& keysWithTheSameCodesEverywhere() {
  static const std::vector<TypedKey> keys = {
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
      {{XK_Shift_L}, XK_Tab, "00 0f"},
      {{}, XK_F1, "00 3b"},
      {{XK_Shift_L}, XK_F1, "00 54"},
      {{}, XK_F12, "00 86"},
      {{}, XK_Up, "00 48"},
      {{XK_Control_L}, XK_Left, "00 73"},
      {{}, XK_Home, "00 47"},
      {{}, XK_Delete, "00 53"},
      {{}, XK_KP_Delete, "00 53"},
      {{}, XK_KP_Up, "00 48"},
  };
  return keys;
}

class KeysProbeTest : public X11Test {
 protected:
  explicit KeysProbeTest(const std::string& probeBinary) : program(probeBinary) {}

  std::string file(const char* name) const { return program.folder() + "/" + name; }

  // The keys the probe has read so far, one line each.
  std::vector<std::string> keysRead() const {
    std::vector<std::string> lines;
    std::ifstream in(file("keys.log"));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  std::vector<std::string> waitForKeys(size_t count, int timeoutMs) const {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::vector<std::string> lines = keysRead();
    while (lines.size() < count && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
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
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
      if (squareColour(window) != from) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }

  // Types `keys` one by one and expects the probe to have read their codes, in order.
  void expectKeysRead(Window window, const std::vector<TypedKey>& keys) {
    std::vector<std::string> expected;
    for (const TypedKey& typed : keys) {
      x11driver::typeKeyWith(display, window, typed.modifiers, typed.key);
      expected.push_back(typed.expected);
      std::this_thread::sleep_for(std::chrono::milliseconds(40));  // fewer than 15 keys wait
    }
    EXPECT_EQ(waitForKeys(expected.size(), 3000), expected);
  }

  // Pause freezes the animated picture; the next key only ends the pause, and the key after it
  // is read.
  void expectPauseHoldsUntilTheNextKey(Window window) {
    ASSERT_TRUE(squareChanges(window, squareColour(window), 2000)) << "the probe animates";
    x11driver::typeKey(display, window, XK_Pause);
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    uint32_t frozen = squareColour(window);
    EXPECT_FALSE(squareChanges(window, frozen, 700)) << "the picture stays while paused";
    x11driver::typeKey(display, window, XK_x);
    EXPECT_TRUE(squareChanges(window, frozen, 2000)) << "a key resumes the program";
    x11driver::typeKey(display, window, XK_y);
    waitForKeys(1, 2000);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(keysRead(), std::vector<std::string>{"79"}) << "x only ended the pause";
  }

  TempProgram program;
};

}  // namespace e2e
