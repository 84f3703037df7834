// The spot plotter itself, in a real window: the worked example of a two-record log, the menu
// strip, and the end of the program through Escape.
#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>

#include "runtime/display/menu_bar.h"
#include "runtime/screen/glyph_tables.h"
#include "tests/e2e/process.h"
#include "tools/x11_driver/x11_driver.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr const char* kTitle = "Morvik Ferlang V0.03 18/11/17";
constexpr int kStrip = rt::kMenuStripHeight;  // the picture starts below the menu strip

constexpr uint32_t kBackground = 0xFFFBCF;  // attribute 0
constexpr uint32_t kWhite = 0xFFFFFF;       // attribute 14
constexpr uint32_t kBlack = 0x000000;       // attribute 15
constexpr uint32_t kLightRed = 0xFF5555;    // attribute 12

class PlotterWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    display = x11driver::openDisplay();
    ASSERT_NE(display, nullptr) << "the end-to-end tests need a display (scripts/test starts Xvfb)";
  }
  void TearDown() override {
    if (pid > 0) e2e::waitForExit(pid, 0);
    if (display != nullptr) XCloseDisplay(display);
  }

  void writeFile(const std::string& name, const std::string& content) {
    std::ofstream(program.folder() + "/" + name, std::ios::binary) << content;
  }

  // Starts the plotter and waits until its chart is drawn; returns its window.
  Window startAndWaitForChart() {
    pid = e2e::startProgram(program.path(), "/tmp");
    Window window = x11driver::findWindow(display, kTitle, 10000);
    if (window == 0) return 0;
    x11driver::moveToOrigin(display, window);
    auto deadline = Clock::now() + std::chrono::seconds(10);
    while (Clock::now() < deadline) {
      picture = x11driver::capture(display, window);
      // The chart box's white inside and the latest-spot caption mark a finished redraw.
      if (picture.height == 480 + kStrip && at(300, 300) == kWhite && rowShows(26, 50, "Latest spot:", kBlack)) {
        return window;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return 0;
  }

  // A chart pixel (y measured from the top of the picture).
  uint32_t at(int x, int y) const { return picture.at(x, y + kStrip); }

  bool rowShows(int row, int column, const std::string& text, uint32_t fore, uint32_t back = kBackground) const {
    if (picture.height != 480 + kStrip) return false;
    for (size_t i = 0; i < text.size(); ++i) {
      const uint8_t* glyph = rt::fontGlyphs8x16() + static_cast<uint8_t>(text[i]) * 128;
      int left = 8 * (column - 1 + static_cast<int>(i)), top = 16 * (row - 1);
      for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 8; ++x) {
          if (at(left + x, top + y) != (glyph[y * 8 + x] ? fore : back)) return false;
        }
      }
    }
    return true;
  }

  e2e::TempProgram program{FERLANG_BINARY};
  Display* display = nullptr;
  pid_t pid = 0;
  x11driver::Picture picture;
};

constexpr const char* kSettings = "spots.log\r\nW1AAA\r\nQQ1BBB\r\nW3CCC\r\nW4DDD\r\nW5EEE\r\nW6FFF\r\n";
constexpr const char* kLog = "Heading\r\nQQ1BBB,a,09:47:30,b,-12,c\r\nQQ1CCC,a,23:59:59,b,3,c\r\n";

TEST_F(PlotterWindowTest, WorkedExampleAppearsInTheWindow) {
  writeFile("Ferlang.SET", kSettings);
  writeFile("spots.log", kLog);
  Window window = startAndWaitForChart();
  ASSERT_NE(window, 0u);
  EXPECT_EQ(at(5, 5), kBackground);
  // Class 2 markers in colour 12 centred at (267, 228): exactly the pixels of radii 3, 2, 1.
  const int marked[][2] = {{0, 0}, {0, 3}, {3, 0}, {0, -3}, {-3, 0}, {0, 2}, {2, 0}, {0, 1}, {1, 0}, {-1, 0}, {0, -1}};
  for (const auto& m : marked) EXPECT_EQ(at(267 + m[0], 228 + m[1]), kLightRed) << m[0] << "," << m[1];
  EXPECT_EQ(at(267 + 4, 228), kWhite);
  EXPECT_EQ(at(267, 228 - 4), kWhite);
  // The unmatched spot: one black pixel at (608, 132).
  EXPECT_EQ(at(608, 132), kBlack);
  EXPECT_EQ(at(607, 132), kWhite);
  EXPECT_EQ(at(608, 133), kWhite);
  // Frame, grid, ticks and the legend mark of class 2.
  EXPECT_EQ(at(30, 24), 0x555555u);   // border, attribute 8
  EXPECT_EQ(at(300, 344), 0xAAAAAAu); // grid line, attribute 7
  EXPECT_EQ(at(32, 366), 0x555555u);  // hour tick
  EXPECT_EQ(at(78, 420), kLightRed);  // legend mark of class 2 at (78, 423)
  // Latest spot, the other-stations list and the legend text of class 2.
  EXPECT_TRUE(rowShows(27, 50, "QQ1CCC 23:59:59  3 dB    ", kBlack));
  EXPECT_TRUE(rowShows(29, 12, "Other:", kBlack));
  EXPECT_TRUE(rowShows(29, 19, "QQ1CCC ", kBlack));
  EXPECT_TRUE(rowShows(27, 12, "QQ1BBB", kLightRed));
  // The menu strip above the picture.
  EXPECT_EQ(picture.at(2, 2), 0xF0F0F0u);
  x11driver::sendClose(display, window);
  EXPECT_EQ(e2e::waitForExit(pid, 5000), 0);
  pid = 0;
}

TEST_F(PlotterWindowTest, EscapeShowsThePromptOnTheLastRowAndTheNextKeyEndsWithStatus0) {
  writeFile("Ferlang.SET", kSettings);
  writeFile("spots.log", kLog);
  Window window = startAndWaitForChart();
  ASSERT_NE(window, 0u);
  x11driver::typeKey(display, window, XK_Escape);
  bool prompt = false;
  auto deadline = Clock::now() + std::chrono::seconds(5);
  while (!prompt && Clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    picture = x11driver::capture(display, window);
    prompt = rowShows(30, 1, "Press any key to continue", kBlack);
  }
  EXPECT_TRUE(prompt);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_TRUE(e2e::isRunning(pid)) << "the program waits for a key after the prompt";
  x11driver::typeKey(display, window, XK_space);
  EXPECT_EQ(e2e::waitForExit(pid, 3000), 0);
  pid = 0;
}

}  // namespace
