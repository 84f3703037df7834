// The real executable in a real window under the test display: window size, exact colours,
// palette changes, the close box and the program's folder.
#include <X11/keysym.h>
#include <gtest/gtest.h>
#include <stdio.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "tests/e2e/process.h"
#include "tests/e2e/x11_test.h"
#include "tools/x11_driver/x11_driver.h"

namespace {

using Clock = std::chrono::steady_clock;

class WindowTest : public e2e::X11Test {
 protected:
  // Starts the program from a folder other than its own and waits for its window.
  Window start(e2e::TempProgram& program) {
    pid = e2e::startProgram(program.path(), "/tmp");
    return x11driver::findWindow(display, "Untitled", 10000);
  }

  int closeAndWait(Window window) {
    x11driver::sendClose(display, window);
    int status = e2e::waitForExit(pid, 5000);
    pid = 0;
    return status;
  }

};

TEST_F(WindowTest, OpensAt640x400AndGrowsTo640x480WithTheScreenMode) {
  e2e::TempProgram program(SCREEN_PROBE_BINARY);
  Window window = start(program);
  ASSERT_NE(window, 0u);
  x11driver::Size first = x11driver::windowSize(display, window);
  EXPECT_EQ(first.width, 640);
  EXPECT_EQ(first.height, 400);
  EXPECT_TRUE(waitForSize(window, 640, 480, 5000));
  EXPECT_EQ(closeAndWait(window), 0);
}

TEST_F(WindowTest, ShowsTheExactPaletteColoursDrawn) {
  e2e::TempProgram program(SCREEN_PROBE_BINARY);
  Window window = start(program);
  ASSERT_NE(window, 0u);
  ASSERT_TRUE(waitForSize(window, 640, 480, 5000));
  x11driver::moveToOrigin(display, window);
  // The probe draws bars of colours 0..15, 40 pixels wide, with entries 0, 14 and 15 replaced.
  const uint32_t expected[16] = {0xFFFBCF, 0x0000AA, 0x00AA00, 0x00AAAA, 0xAA0000, 0xAA00AA,
                                 0xAA5500, 0xAAAAAA, 0x555555, 0x5555FF, 0x55FF55, 0x55FFFF,
                                 0xFF5555, 0xFF55FF, 0xFFFFFF, 0x000000};
  x11driver::Picture picture;
  auto deadline = Clock::now() + std::chrono::seconds(3);
  do {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    picture = x11driver::capture(display, window);
    // Wait for a complete picture: the first and last bars and the bottom row drawn.
  } while ((picture.pixels.empty() || picture.at(20, 100) != expected[0] ||
            picture.at(620, 100) != expected[15] || picture.at(320, 479) != 0x000000) &&
           Clock::now() < deadline);
  ASSERT_EQ(picture.width, 640);
  ASSERT_EQ(picture.height, 480);
  for (int bar = 0; bar < 16; ++bar) {
    for (int x : {bar * 40, bar * 40 + 39}) {
      for (int y : {0, 120, 239}) EXPECT_EQ(picture.at(x, y), expected[bar]) << x << "," << y;
    }
  }
  EXPECT_EQ(picture.at(0, 300), 0x000000u);    // frame in colour 15
  EXPECT_EQ(picture.at(260, 300), 0x000000u);  // diagonal
  EXPECT_EQ(picture.at(261, 300), 0xFFFBCFu);
  EXPECT_EQ(closeAndWait(window), 0);
}

// The change must reach the window; how fast it does (about two frame periods on a quiet
// machine) is printed, not asserted, as a loaded machine can stretch it well past that.
TEST_F(WindowTest, PaletteChangeReachesTheWindow) {
  e2e::TempProgram program(SCREEN_PROBE_BINARY);
  Window window = start(program);
  ASSERT_NE(window, 0u);
  ASSERT_TRUE(waitForSize(window, 640, 480, 5000));
  x11driver::moveToOrigin(display, window);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));  // the first frame is shown
  const struct {
    int packed;
    uint32_t rgb;
  } steps[] = {{0x3F, 0xFF0000}, {0x3F00, 0x00FF00}, {0x3F0000, 0x0000FF}, {0x333E3F, 0xFFFBCF}};
  // Bar 1 (x 40..79) shows palette entry 1.
  for (const auto& step : steps) {
    std::string file = program.folder() + "/palette-step";
    { std::FILE* out = std::fopen((file + ".new").c_str(), "w");
      ASSERT_NE(out, nullptr);
      std::fprintf(out, "%d\n", step.packed);
      std::fclose(out); }
    auto sent = Clock::now();
    std::rename((file + ".new").c_str(), file.c_str());
    uint32_t seen = 0;
    while (Clock::now() - sent < std::chrono::seconds(2)) {
      x11driver::Picture picture = x11driver::capture(display, window);
      if (!picture.pixels.empty() && (seen = picture.at(60, 120)) == step.rgb) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    auto latency = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - sent);
    EXPECT_EQ(seen, step.rgb) << "palette " << step.packed << " not shown after " << latency.count() << " ms";
    std::printf("palette %#x shown after %lld ms\n", step.packed, static_cast<long long>(latency.count()));
  }
  EXPECT_EQ(closeAndWait(window), 0);
}

TEST_F(WindowTest, CloseBoxEndsTheProcessWithStatus0In20RunsOf20) {
  e2e::TempProgram program(SCREEN_PROBE_BINARY);
  int clean = 0;
  for (int run = 0; run < 20; ++run) {
    Window window = start(program);
    ASSERT_NE(window, 0u) << "run " << run;
    int status = closeAndWait(window);
    EXPECT_EQ(status, 0) << "run " << run;
    clean += status == 0;
  }
  EXPECT_EQ(clean, 20);
}

TEST_F(WindowTest, StartedFromAnotherFolderRunsInItsOwnFolder) {
  e2e::TempProgram program(SCREEN_PROBE_BINARY);
  Window window = start(program);
  ASSERT_NE(window, 0u);
  EXPECT_EQ(std::filesystem::canonical(e2e::currentDirectoryOf(pid)),
            std::filesystem::canonical(program.folder()));
  EXPECT_EQ(closeAndWait(window), 0);
}

TEST_F(WindowTest, EscapeShowsThePromptAndTheNextKeyEndsWithStatus0) {
  e2e::TempProgram program(SCREEN_PROBE_BINARY);
  Window window = start(program);
  ASSERT_NE(window, 0u);
  ASSERT_TRUE(waitForSize(window, 640, 480, 5000));
  x11driver::moveToOrigin(display, window);
  x11driver::typeKey(display, window, XK_Escape);
  // The prompt appears on the last text row (pixel rows 464..479) in colour 15 (black).
  bool prompt = false;
  auto deadline = Clock::now() + std::chrono::seconds(3);
  while (!prompt && Clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    x11driver::Picture picture = x11driver::capture(display, window);
    for (int x = 8; x < 200 && !picture.pixels.empty() && !prompt; ++x) {
      for (int y = 466; y < 476; ++y) prompt = prompt || picture.at(x, y) == 0x000000;
    }
  }
  EXPECT_TRUE(prompt);
  x11driver::typeKey(display, window, XK_space);
  EXPECT_EQ(e2e::waitForExit(pid, 3000), 0);
  pid = 0;
}

}  // namespace
