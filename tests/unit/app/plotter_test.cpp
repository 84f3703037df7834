// The plotter's steps against a real mode-12 surface: the chart frame and a two-spot log (one
// watched station, one other), pixel for pixel, the legend after the settings are edited, and
// the error dialogs of missing files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "app/chart_frame.h"
#include "app/main_program.h"
#include "app/plotter_state.h"
#include "app/spot_log.h"
#include "runtime/core/shared_flags.h"
#include "runtime/core/statement.h"
#include "runtime/core/string_engine.h"
#include "runtime/files/file_open.h"
#include "runtime/screen/glyph_tables.h"
#include "runtime/screen/image_surface.h"
#include "runtime/screen/palette.h"
#include "runtime/screen/screen_mode.h"
#include "tests/support/scripted_message_box.h"
#include "tests/support/runtime_test.h"

namespace app {
namespace {

namespace fs = std::filesystem;

class PlotterTest : public rt::testing::RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    rt::initStringEngine();
    rt::initScreen();
    rt::setScreenMode(12, 0, 0, 0, 0, rt::kGivenMode);
    rt::setPaletteEntry(0, 0x333E3F, 1);
    rt::setPaletteEntry(14, 0x3F3F3F, 1);
    rt::setPaletteEntry(15, 0, 1);
    folder = fs::temp_directory_path() / ("ferlang-plotter-" + std::to_string(getpid()));
    fs::create_directories(folder);
    previous = fs::current_path();
    fs::current_path(folder);
    state = createPlotterState();
  }
  void TearDown() override {
    rt::closeAllFiles();
    fs::current_path(previous);
    fs::remove_all(folder);
    RuntimeTest::TearDown();
  }

  static void write(const std::string& name, const std::string& content) {
    std::ofstream(name, std::ios::binary) << content;
  }

  uint8_t at(int x, int y) { return rt::writeSurface()->pixels[static_cast<size_t>(y) * 640 + x]; }

  // True when text cell (row, column) shows `code` in `fore` on `back`.
  bool cellShows(int row, int column, uint8_t code, uint8_t fore, uint8_t back) {
    const uint8_t* glyph = rt::fontGlyphs8x16() + code * 128;
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 8; ++x) {
        uint8_t expected = glyph[y * 8 + x] ? fore : back;
        if (at(8 * (column - 1) + x, 16 * (row - 1) + y) != expected) return false;
      }
    }
    return true;
  }

  bool rowShows(int row, int column, const std::string& text, uint8_t fore) {
    for (size_t i = 0; i < text.size(); ++i) {
      if (!cellShows(row, column + static_cast<int>(i), static_cast<uint8_t>(text[i]), fore, 0)) return false;
    }
    return true;
  }

  void redraw() {
    rt::Steps steps;
    readSettings(steps, state);
    drawChartFrame(steps, state);
    state.cycleCount = 0;
    rereadSpotLog(steps, state);
    steps(299, [&] { rt::closeFile(1); });  // as the pass closes the log
  }

  // The settings file with the log "spots.log" and the six watched calls.
  static std::string settingsWith(const std::vector<std::string>& calls) {
    std::string settings = "spots.log\r\n";
    for (const std::string& call : calls) settings += call + "\r\n";
    return settings;
  }

  // One redraw of the chart frame with `settings`, as every 100th pass makes it.
  void drawFrameWith(const std::string& settings) {
    write("Ferlang.SET", settings);
    rt::Steps steps;
    readSettings(steps, state);
    drawChartFrame(steps, state);
  }

  // The screen as start-up leaves it before the first redraw.
  void startAfresh() {
    state = createPlotterState();
    rt::Steps steps;
    prepareChartScreen(steps, state);
  }

  static std::vector<uint8_t> screenPixels() {
    const uint8_t* pixels = rt::writeSurface()->pixels;
    return {pixels, pixels + 640 * 480};
  }

  fs::path folder, previous;
  PlotterState state;
  rt::testing::ScriptedMessageBox box;
};

const char* kTwoSpotSettings = "spots.log\r\nW1AAA\r\nQQ1BBB\r\nW3CCC\r\nW4DDD\r\nW5EEE\r\nW6FFF\r\n";
const char* kTwoSpotLog = "Heading without commas\r\nQQ1BBB,a,09:47:30,b,-12,c\r\nQQ1CCC,a,23:59:59,b,3,c\r\n";

TEST_F(PlotterTest, TwoSpotLogPlotsBothSpotsAndListsTheOtherStation) {
  write("Ferlang.SET", kTwoSpotSettings);
  write("spots.log", kTwoSpotLog);
  redraw();
  EXPECT_TRUE(box.shown.empty());
  // Class 2 (colour 12) at (267, 228): the centre pixel and the circles of radius 3, 2 and 1.
  const int offsets[][2] = {{0, 0},  {0, 3},  {3, 0},  {0, -3}, {-3, 0}, {1, 3},  {-1, 3}, {2, 2},
                            {-2, 2}, {0, 2},  {2, 0},  {0, 1},  {1, 0},  {-1, 0}, {0, -1}};
  for (const auto& o : offsets) EXPECT_EQ(at(267 + o[0], 228 + o[1]), 12) << o[0] << "," << o[1];
  EXPECT_EQ(at(267 + 4, 228), 14);  // outside the markers: the white chart area
  EXPECT_EQ(at(608, 132), 15);      // the unmatched spot: one black pixel
  EXPECT_EQ(at(607, 132), 14);
  EXPECT_EQ(at(609, 132), 14);
  EXPECT_TRUE(rowShows(26, 50, "Latest spot:", 15));
  EXPECT_TRUE(rowShows(27, 50, "QQ1CCC 23:59:59  3 dB    ", 15));
  EXPECT_TRUE(rowShows(29, 19, "QQ1CCC ", 15));
  EXPECT_TRUE(rowShows(29, 12, "Other:", 15));
  EXPECT_EQ(state.otherCalls->view(), "QQ1CCC ");
}

TEST_F(PlotterTest, ChartFrameLiesAtItsCoordinates) {
  write("Ferlang.SET", kTwoSpotSettings);
  write("spots.log", "Heading only\r\n");
  redraw();
  EXPECT_TRUE(box.shown.empty());
  // Border (colour 8) around the white box from (30, 24) to (612, 365).
  for (auto [x, y] : {std::pair{30, 24}, {612, 24}, {30, 365}, {612, 365}, {300, 24}, {30, 200}}) {
    EXPECT_EQ(at(x, y), 8) << x << "," << y;
  }
  EXPECT_EQ(at(31, 25), 14);
  EXPECT_EQ(at(611, 364), 14);
  // Grid lines in colour 7 from x 27 to 612 (the border is drawn first, so 612 is grid).
  for (int y : {344, 280, 216, 152, 88}) {
    EXPECT_EQ(at(27, y), 7) << y;
    EXPECT_EQ(at(300, y), 7) << y;
    EXPECT_EQ(at(26, y), 0) << y;
  }
  // Hour ticks: two pixel rows (366, 367) remain below the box; the ruler text covers the rest.
  for (int tick = 0; tick <= 24; ++tick) {
    EXPECT_EQ(at(32 + 24 * tick, 366), 8) << tick;
    EXPECT_EQ(at(32 + 24 * tick, 367), 8) << tick;
    EXPECT_EQ(at(33 + 24 * tick, 366), 0) << tick;
  }
  // Legend frame and marks: class 1 in colour 2 at (78, 407), the other-stations dot at (78, 455).
  EXPECT_EQ(at(30, 465), 8);
  EXPECT_EQ(at(612, 395), 8);
  EXPECT_EQ(at(78, 404), 2);
  EXPECT_EQ(at(182, 442), 4);
  EXPECT_EQ(at(78, 455), 15);
  // Legend texts, scale and ruler.
  EXPECT_TRUE(rowShows(26, 12, "W1AAA", 2));
  EXPECT_TRUE(rowShows(28, 25, "W6FFF", 4));
  EXPECT_TRUE(rowShows(24, 4, "00    02    04", 15));
  EXPECT_TRUE(rowShows(22, 1, "-30", 15));
  EXPECT_TRUE(rowShows(12, 1, "- 5", 15));
  EXPECT_TRUE(rowShows(23, 1, "SNR", 15));
}

// A redraw after the watched calls were edited leaves the screen exactly as a fresh start with
// the new settings draws it: nothing of an old call remains beside or under a new one.
TEST_F(PlotterTest, RedrawAfterEditedCallsEqualsAFreshStart) {
  const std::string columnLimit12(38, 'A');  // from column 12 up to column 49
  const std::string columnLimit25(25, 'D');  // from column 25 up to column 49
  const struct {
    const char* edit;
    std::vector<std::string> before, after;
  } cases[] = {
      {"shorter call", {"AC2ZR", "B", "C", "D", "E", "F"}, {"N8PK", "B", "C", "D", "E", "F"}},
      {"removed calls", {"A", "W2XYZ", "C", "D", "E", "W6FFF"}, {"A", "", "C", "D", "E", ""}},
      {"longer calls", {"K1A", "B", "C", "D", "W5E", "F"},
       {"PJ4/K1ABC/QRP", "B", "C", "D", "VP2V/K1ABC/P", "F"}},
      {"call moved to another slot", {"DL1ABC", "B", "C", "", "E", "F"},
       {"", "B", "C", "DL1ABC", "E", "F"}},
      {"call of column 12 no longer overlapping column 25",
       {"A", "B", "JA1/W9VERYLONG/MM", "D", "E", "F"}, {"A", "B", "K9X", "D", "E", "F"}},
      {"calls up to column 49", {columnLimit12, "B", "C", columnLimit25, "E", "F"},
       {"A", "B", "C", "D", "E", "F"}},
  };
  for (const auto& c : cases) {
    startAfresh();
    drawFrameWith(settingsWith(c.after));
    const std::vector<uint8_t> fresh = screenPixels();
    startAfresh();
    drawFrameWith(settingsWith(c.before));
    ASSERT_NE(screenPixels(), fresh) << c.edit << ": the two settings must draw different legends";
    drawFrameWith(settingsWith(c.after));
    const std::vector<uint8_t> redrawn = screenPixels();
    size_t wrong = 0, first = 0;
    for (size_t i = 0; i < redrawn.size(); ++i) {
      if (redrawn[i] != fresh[i] && wrong++ == 0) first = i;
    }
    EXPECT_EQ(wrong, 0u) << c.edit << ": first wrong pixel at x " << first % 640 << ", y "
                         << first / 640;
  }
  EXPECT_TRUE(box.shown.empty());
}

// The blanks stop short of the latest-spot texts: a re-read log without records leaves them
// as they were, also the end of a long line that went on to row 28.
TEST_F(PlotterTest, RedrawKeepsTheLatestSpotWhenTheLogHasNoRecords) {
  write("Ferlang.SET", kTwoSpotSettings);
  write("spots.log", "H\r\nVP2V/K1ABC/P,a,09:47:30,b,-12,c\r\n");  // "dB" no longer fits on row 27
  redraw();
  ASSERT_TRUE(rowShows(27, 50, "VP2V/K1ABC/P 09:47:30 -12 ", 15));
  ASSERT_TRUE(rowShows(28, 1, "dB", 15));
  write("spots.log", "H\r\n");
  redraw();
  EXPECT_TRUE(box.shown.empty());
  EXPECT_TRUE(rowShows(26, 50, "Latest spot:", 15));
  EXPECT_TRUE(rowShows(27, 50, "VP2V/K1ABC/P 09:47:30 -12 ", 15));
  EXPECT_TRUE(rowShows(28, 1, "dB", 15));
  EXPECT_TRUE(rowShows(26, 12, "W1AAA", 2));
}

TEST_F(PlotterTest, SpotPositionsRoundTiesToEvenAndClipAtTheScreen) {
  write("Ferlang.SET", kTwoSpotSettings);
  write("spots.log", "H\r\nX,a,24:00:00,b,-31,c\r\nY,a,9,b,50,c\r\n");
  redraw();
  EXPECT_TRUE(box.shown.empty());
  EXPECT_EQ(at(608, 349), 15);  // 24:00 on the last tick, -31 dB just below the lowest grid line
  EXPECT_EQ(state.plotX, 216);   // "9" is hour 9, minute 0
  EXPECT_EQ(state.plotY, 514);   // +50 dB lies above the screen: nothing drawn, nothing reported
  EXPECT_EQ(state.otherCalls->view(), "X Y ");
}

TEST_F(PlotterTest, UnmatchedCallsAreListedOnceAndSubstringsNotAgain) {
  write("Ferlang.SET", kTwoSpotSettings);
  write("spots.log", "H\r\nQQ1CCC,a,01:00,b,0,c\r\nQQ1C,a,01:00,b,0,c\r\nQQ1CCC,a,02:00,b,0,c\r\nqq1bbb,a,03:00,b,0,c\r\n");
  redraw();
  EXPECT_EQ(state.otherCalls->view(), "QQ1CCC qq1bbb ");
}

TEST_F(PlotterTest, EmptyCallSignTakesTheSeventhClassWithTwoRings) {
  write("Ferlang.SET", kTwoSpotSettings);
  write("spots.log", "H\r\n,a,10:00:00,b,0,c\r\n");
  redraw();
  // P = (32 + 240, 345 - 194) = (272, 151): colour 15 circles, rings of radius 5 and 6 in 12.
  EXPECT_EQ(at(272, 151 - 3), 15);
  EXPECT_EQ(at(272, 151 - 5), 12);
  EXPECT_EQ(at(272, 151 - 6), 12);
  EXPECT_EQ(state.spotColor, 15);
  EXPECT_EQ(state.spotMatched, 1);
}

TEST_F(PlotterTest, MissingSettingsFileReports53ThenBadFileNumberForEachRead) {
  rt::Steps steps;
  readSettings(steps, state);
  ASSERT_EQ(box.shown.size(), 8u);
  EXPECT_EQ(box.shown[0].caption, "Unhandled Error #53");
  EXPECT_EQ(box.shown[0].text, "Line:146\nFile not found\nContinue?");
  for (int i = 1; i < 8; ++i) {
    EXPECT_EQ(box.shown[i].caption, "Unhandled Error #52");
    EXPECT_EQ(box.shown[i].text, "Line:" + std::to_string(146 + i) + "\nBad file name or number\nContinue?");
  }
}

TEST_F(PlotterTest, CutShortRecordRaises62AndIsStillPlotted) {
  write("Ferlang.SET", kTwoSpotSettings);
  write("spots.log", "H\r\nQQ1BBB,a,09:47:30,b,-12,c\r\nQQ1DDD,a,12:00");
  redraw();
  ASSERT_EQ(box.shown.size(), 1u);
  EXPECT_EQ(box.shown[0].caption, "Unhandled Error #62");
  EXPECT_EQ(box.shown[0].text, "Line:248\nInput past end of file\nContinue?");
  EXPECT_EQ(state.spotCall->view(), "QQ1DDD");
  EXPECT_EQ(state.spotTime->view(), "12:00");
}

// A missing log repeats its dialogs until the user answers No, which parks the program thread;
// so the steps run on a thread of their own that is left parked.
TEST_F(PlotterTest, MissingLogRepeatsItsDialogsUntilNo) {
  write("Ferlang.SET", "absent.log\r\nA\r\nB\r\nC\r\nD\r\nE\r\nF\r\n");
  box.answers = {rt::MessageBoxAnswer::Yes, rt::MessageBoxAnswer::Yes, rt::MessageBoxAnswer::Yes,
                 rt::MessageBoxAnswer::No};
  std::thread([this] {
    redraw();  // does not return: "No" parks this thread
  }).detach();
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (box.shownCount() < 4 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  std::lock_guard lock(box.mutex);
  ASSERT_EQ(box.shown.size(), 4u);
  EXPECT_EQ(box.shown[0].text, "Line:243\nFile not found\nContinue?");
  EXPECT_EQ(box.shown[1].text, "Line:244\nBad file name or number\nContinue?");
  EXPECT_EQ(box.shown[2].text, "Line:246\nBad file name or number\nContinue?");
  EXPECT_EQ(box.shown[3].text, "Line:248\nBad file name or number\nContinue?");
  EXPECT_EQ(rt::stopRequested, 1);
  rt::stopRequested = 0;
}

}  // namespace
}  // namespace app
