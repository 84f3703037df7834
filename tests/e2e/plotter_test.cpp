// The spot plotter itself, in a real window: a two-spot log (one watched station, one other),
// the menu strip, the legend after the settings are edited, and the end of the program through
// Escape.
#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "runtime/display/menu_bar.h"
#include "runtime/screen/glyph_tables.h"
#include "tests/e2e/process.h"
#include "tests/e2e/x11_test.h"
#include "tools/x11_driver/x11_driver.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr const char* kTitle = "Morvik Ferlang V0.03 18/11/17";
constexpr int kStrip = rt::kMenuStripHeight;  // the picture starts below the menu strip

constexpr uint32_t kBackground = 0xFFFBCF;  // attribute 0
constexpr uint32_t kWhite = 0xFFFFFF;       // attribute 14
constexpr uint32_t kBlack = 0x000000;       // attribute 15
constexpr uint32_t kLightRed = 0xFF5555;    // attribute 12
constexpr uint32_t kGreen = 0x00AA00;       // attribute 2

class PlotterWindowTest : public e2e::X11Test {
 protected:
  void writeFile(const std::string& name, const std::string& content) {
    std::ofstream(program.folder() + "/" + name, std::ios::binary) << content;
  }

  // Starts the plotter and waits until its chart is drawn; returns its window.
  Window startAndWaitForChart() {
    if (!noWindowTitled(kTitle)) return 0;
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

  // Replaces a file at once, so that the running program never reads half of it.
  void replaceFile(const std::string& name, const std::string& content) {
    writeFile(name + ".new", content);
    std::filesystem::rename(program.folder() + "/" + name + ".new", program.folder() + "/" + name);
  }

  // The legend frame (30, 395) to (612, 465) with everything inside it.
  std::vector<uint32_t> legendArea() const {
    std::vector<uint32_t> area;
    if (picture.height != 480 + kStrip) return area;
    for (int y = 395; y <= 465; ++y) {
      for (int x = 30; x <= 612; ++x) area.push_back(at(x, y));
    }
    return area;
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

  // A watched call's marker centred at (x, y) in `colour`: the centre pixel and exactly the
  // circle pixels of radii 3, 2 and 1 (one octant each, mirrored), nothing else nearby.
  void expectMarker(int centreX, int centreY, uint32_t colour) const {
    std::set<std::pair<int, int>> marker = {{0, 0}};
    for (auto [x, y] : {std::pair{1, 0}, {0, 1}, {2, 0}, {2, 1}, {1, 2}, {0, 2}, {3, 0}, {3, 1},
                        {2, 2}, {1, 3}, {0, 3}}) {
      for (int sx : {1, -1}) {
        for (int sy : {1, -1}) marker.insert({sx * x, sy * y});
      }
    }
    for (int dy = -5; dy <= 5; ++dy) {
      for (int dx = -5; dx <= 5; ++dx) {
        EXPECT_EQ(at(centreX + dx, centreY + dy), marker.count({dx, dy}) ? colour : kWhite)
            << "marker at " << centreX << "," << centreY << ": " << dx << "," << dy;
      }
    }
  }

  e2e::TempProgram program{FERLANG_BINARY};
  x11driver::Picture picture;
};

constexpr const char* kSettings = "spots.log\r\nW1AAA\r\nQQ1BBB\r\nW3CCC\r\nW4DDD\r\nW5EEE\r\nW6FFF\r\n";
constexpr const char* kLog = "Heading\r\nQQ1BBB,a,09:47:30,b,-12,c\r\nQQ1CCC,a,23:59:59,b,3,c\r\n";

TEST_F(PlotterWindowTest, TwoSpotLogAppearsInTheWindow) {
  writeFile("Ferlang.SET", kSettings);
  writeFile("spots.log", kLog);
  Window window = startAndWaitForChart();
  ASSERT_NE(window, 0u);
  EXPECT_EQ(at(5, 5), kBackground);
  // Class 2 markers in colour 12 centred at (267, 228).
  expectMarker(267, 228, kLightRed);
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

// An FT8 log through ferlang-feed: the watched calls' markers stand where their decodes put
// them (dial + audio offset, the time with seconds, the sender of each kind of message), and
// decodes that are not spots (marked "?", the station's own) draw nothing.
TEST_F(PlotterWindowTest, AnFt8LogFedThroughTheFeedShowsTheWatchedCallsWhereTheirDecodesPutThem) {
  writeFile("Ferlang.SET", kSettings);
  writeFile("ALL.TXT",
            "220301_094700    14.074 Rx FT8    -12  0.1  800 CQ W1AAA FN42\r\n"
            "220301_093015    14.074 Rx FT4      3  0.2  900 K1XYZ <QQ1BBB> R-05\r\n"
            "220301_180000    14.074 Rx FT8     -5  0.1  700 W1AAA W3CCC FN31     ? a2\r\n"
            "220301_200000    14.074 Tx FT8      0  0.0 1500 CQ W4DDD EN50\r\n"
            "220301_210000    14.074 Rx FT8    -22  0.2 1200 TU; W1AAA W5EEE 599 NJ\r\n");
  const std::string feed = std::string(FERLANG_FEED_BINARY) + " --once '" + program.folder() +
                           "/ALL.TXT' '" + program.folder() + "/spots.log' >/dev/null";
  ASSERT_EQ(std::system(feed.c_str()), 0);
  Window window = startAndWaitForChart();
  ASSERT_NE(window, 0u);
  // W1AAA (class 1, green) at 09:47 and -12 dB: x = 32 + 216 + 47 / 2.5, y = 345 - 117.
  expectMarker(267, 228, kGreen);
  // QQ1BBB (class 2) at 09:30:15 and 3 dB: x = 32 + 216 + 12, y = 345 - 213.
  expectMarker(260, 132, kLightRed);
  // W5EEE (class 5, blue) at 21:00 and -22 dB: x = 32 + 504, y = 345 - 53.
  expectMarker(536, 292, 0x0000AAu);
  // Nothing for W3CCC at 18:00 (low confidence) nor for W4DDD at 20:00 (a transmission).
  EXPECT_EQ(at(464, 345 - 162), kWhite);
  EXPECT_EQ(at(512, 345 - 194), kWhite);
  EXPECT_TRUE(rowShows(27, 50, "W5EEE 21:00:00 -22 dB    ", kBlack));
  x11driver::sendClose(display, window);
  EXPECT_EQ(e2e::waitForExit(pid, 5000), 0);
  pid = 0;
}

// Settings edited while the chart runs: within a redraw period or two the legend shows exactly
// what a fresh start with the new settings shows, nothing left of the old calls.
TEST_F(PlotterWindowTest, EditedSettingsShowInTheLegendAsAfterAFreshStart) {
  // Shorter, longer, moved and removed calls.
  const std::string before =
      "spots.log\r\nAC2ZR\r\nW2XYZ\r\nK3AB\r\nJA1/W9LONG/MM\r\n\r\nW6FFF\r\n";
  const std::string after = "spots.log\r\nN8PK\r\nPJ4/K1ABC/P\r\nK3AB\r\nF6X\r\nW2XYZ\r\n\r\n";
  writeFile("spots.log", kLog);
  writeFile("Ferlang.SET", after);
  Window window = startAndWaitForChart();
  ASSERT_NE(window, 0u);
  const std::vector<uint32_t> fresh = legendArea();
  x11driver::sendClose(display, window);
  ASSERT_EQ(e2e::waitForExit(pid, 5000), 0);
  pid = 0;

  writeFile("Ferlang.SET", before);
  window = startAndWaitForChart();
  ASSERT_NE(window, 0u);
  ASSERT_TRUE(rowShows(26, 12, "AC2ZR", kGreen));
  ASSERT_NE(legendArea(), fresh);
  replaceFile("Ferlang.SET", after);
  // A redraw comes every 100 passes, about ten seconds apart.
  bool same = false;
  auto deadline = Clock::now() + std::chrono::seconds(25);
  while (!same && Clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    picture = x11driver::capture(display, window);
    same = legendArea() == fresh;
  }
  EXPECT_TRUE(same) << "the legend after the edit differs from a fresh start's";
  EXPECT_TRUE(rowShows(26, 12, "N8PK ", kGreen));
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

// Finds the error dialog, checks its caption and message, and answers No; the process must
// then end with status 0.
void expectDialogAndAnswerNo(Display* display, pid_t pid, const std::string& caption, const std::string& message) {
  Window dialog = x11driver::findWindow(display, caption, 10000);
  ASSERT_NE(dialog, 0u) << "no dialog named " << caption;
  EXPECT_EQ(x11driver::stringProperty(display, dialog, "FERLANG_MESSAGE"), message);
  // The dialog takes keys once it is mapped; on a busy machine that can take longer than a
  // first try allows, so N is typed again while the program still runs.
  auto deadline = Clock::now() + std::chrono::seconds(5);
  while (e2e::isRunning(pid) && Clock::now() < deadline) {
    x11driver::typeKey(display, dialog, XK_n);
    for (int waited = 0; waited < 50 && e2e::isRunning(pid); ++waited) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  EXPECT_EQ(e2e::waitForExit(pid, 1000), 0);
}

TEST_F(PlotterWindowTest, MissingSettingsFileShowsError53AtLine146AndNoEndsWithStatus0) {
  pid = e2e::startProgram(program.path(), "/tmp");
  expectDialogAndAnswerNo(display, pid, "Unhandled Error #53", "Line:146\nFile not found\nContinue?");
  pid = 0;
}

TEST_F(PlotterWindowTest, MissingLogShowsError53AtLine243AndNoEndsWithStatus0) {
  writeFile("Ferlang.SET", "absent.log\r\nA\r\nB\r\nC\r\nD\r\nE\r\nF\r\n");
  pid = e2e::startProgram(program.path(), "/tmp");
  expectDialogAndAnswerNo(display, pid, "Unhandled Error #53", "Line:243\nFile not found\nContinue?");
  pid = 0;
}

// The menu items hand their files to the desktop's opener: a stand-in xdg-open on PATH records
// what it was given. One click launches once.
TEST_F(PlotterWindowTest, MenuItemsOpenTheSettingsAndHelpFilesOncePerClick) {
  writeFile("Ferlang.SET", kSettings);
  writeFile("spots.log", kLog);
  writeFile("Ferlang Help.txt", "help\n");
  const std::string record = program.folder() + "/opened.txt";
  writeFile("xdg-open", "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + record + "'\n");
  std::filesystem::permissions(program.folder() + "/xdg-open", std::filesystem::perms::owner_all);
  const char* oldPath = std::getenv("PATH");
  std::string savedPath = oldPath != nullptr ? oldPath : "";
  setenv("PATH", (program.folder() + ":" + savedPath).c_str(), 1);
  Window window = startAndWaitForChart();
  setenv("PATH", savedPath.c_str(), 1);
  ASSERT_NE(window, 0u);

  auto opened = [&] {
    std::ifstream in(record);
    std::string all, line;
    while (std::getline(in, line)) all += line + "|";
    return all;
  };
  auto waitFor = [&](const std::string& expected) {
    auto deadline = Clock::now() + std::chrono::seconds(5);
    while (opened() != expected && Clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return opened();
  };
  x11driver::clickAt(display, window, 20, kStrip / 2);  // "Edit setup file"
  EXPECT_EQ(waitFor("Ferlang.SET|"), "Ferlang.SET|");
  std::this_thread::sleep_for(std::chrono::milliseconds(500));  // several passes: no second launch
  EXPECT_EQ(opened(), "Ferlang.SET|");
  x11driver::clickAt(display, window, 4 + 15 * 8 + 16 + 12, kStrip / 2);  // "Help"
  EXPECT_EQ(waitFor("Ferlang.SET|Ferlang Help.txt|"), "Ferlang.SET|Ferlang Help.txt|");
  x11driver::sendClose(display, window);
  EXPECT_EQ(e2e::waitForExit(pid, 5000), 0);
  pid = 0;
}

}  // namespace
