// The Windows build of the spot plotter under Wine, in a real window on the test's X display:
// the chart pixel for pixel as the Linux build draws it, the native menu bar and its items
// opening Notepad while the chart keeps refreshing, an error dialog, keys, full screen and the
// close box; and the demo log's chart drawn without a window, as the Linux build draws it.
// Without a window manager, a Wine window is an X window holding the menu bar and
// the client area, named by the window's title; the client area is read below the menu bar.
#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <numeric>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "runtime/screen/glyph_tables.h"
#include "tests/e2e-windows/wine_program.h"
#include "tests/e2e/png_picture.h"
#include "tests/e2e/process.h"
#include "tests/e2e/x11_test.h"
#include "tools/x11_driver/x11_driver.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr const char* kTitle = "Morvik Ferlang V0.03 18/11/17";
constexpr int kWidth = 640, kHeight = 480;  // the client area once the chart's screen is set

constexpr uint32_t kBackground = 0xFFFBCF;  // attribute 0
constexpr uint32_t kWhite = 0xFFFFFF;       // attribute 14
constexpr uint32_t kBlack = 0x000000;       // attribute 15
constexpr uint32_t kLightRed = 0xFF5555;    // attribute 12

constexpr const char* kTwoSpotSettings =
    "spots.log\r\nW1AAA\r\nQQ1BBB\r\nW3CCC\r\nW4DDD\r\nW5EEE\r\nW6FFF\r\n";
constexpr const char* kTwoSpotLog = "Heading\r\nQQ1BBB,a,09:47:30,b,-12,c\r\nQQ1CCC,a,23:59:59,b,3,c\r\n";

// A window's picture and where its client area begins (below the menu bar).
struct ClientPicture {
  x11driver::Picture picture;
  int top = 0;
  uint32_t at(int x, int y) const { return picture.at(x, y + top); }
  bool complete() const { return picture.width == kWidth && picture.height > kHeight; }
};

ClientPicture captureClient(Display* display, Window window) {
  ClientPicture client;
  client.picture = x11driver::capture(display, window);
  client.top = client.picture.height - kHeight;
  return client;
}

// True when `text` stands at text row `row`, column `column` (1-based, 8 x 16 cells) in `fore`
// on `back`, exactly as the runtime's font draws it.
bool rowShows(const ClientPicture& client, int row, int column, const std::string& text, uint32_t fore,
              uint32_t back = kBackground) {
  if (!client.complete()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    const uint8_t* glyph = rt::fontGlyphs8x16() + static_cast<uint8_t>(text[i]) * 128;
    int left = 8 * (column - 1 + static_cast<int>(i)), top = 16 * (row - 1);
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 8; ++x) {
        if (client.at(left + x, top + y) != (glyph[y * 8 + x] ? fore : back)) return false;
      }
    }
  }
  return true;
}

// The chart is drawn: the box's white inside and the latest-spot caption.
bool chartDrawn(const ClientPicture& client) {
  return client.complete() && client.at(300, 300) == kWhite &&
         rowShows(client, 26, 50, "Latest spot:", kBlack);
}

// Waits up to `timeoutMs` for the window to show the drawn chart; an incomplete picture when it
// does not, and the last picture seen is kept as a PNG file in the temporary folder (its path
// goes to standard error).
ClientPicture waitForChart(Display* display, Window window, int timeoutMs) {
  auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  ClientPicture client;
  while (Clock::now() < deadline) {
    client = captureClient(display, window);
    if (chartDrawn(client)) return client;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  const std::string kept = "/tmp/ferlang-wine-e2e-no-chart.png";
  if (x11driver::writePng(kept, client.picture)) {
    std::fprintf(stderr, "no chart; the window's last picture (%dx%d): %s\n", client.picture.width,
                 client.picture.height, kept.c_str());
  }
  client.picture = {};
  return client;
}

bool dark(uint32_t pixel) {
  return ((pixel >> 16) & 0xFF) < 0x80 && ((pixel >> 8) & 0xFF) < 0x80 && (pixel & 0xFF) < 0x80;
}

// The columns of the menu bar's captions: runs of columns with dark (text) pixels, a gap of 8
// or more blank columns separating two items (the blanks between words are narrower).
std::vector<std::pair<int, int>> menuCaptionColumns(const ClientPicture& client) {
  std::vector<std::pair<int, int>> items;
  int lastDark = -100;
  for (int x = 0; x < client.picture.width; ++x) {
    bool any = false;
    for (int y = 0; y < client.top && !any; ++y) any = dark(client.picture.at(x, y));
    if (!any) continue;
    if (x - lastDark > 8) items.push_back({x, x});
    items.back().second = x;
    lastDark = x;
  }
  return items;
}

template <typename Condition>
bool waitUntil(int timeoutMs, Condition condition) {
  auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  while (Clock::now() < deadline) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return condition();
}

class WinePlotterTest : public e2e::X11Test {
 protected:
  static void SetUpTestSuite() { wineReady = e2e::prepareWine(); }
  static void TearDownTestSuite() { e2e::endWinePrograms(); }

  void SetUp() override {
    X11Test::SetUp();
    ASSERT_TRUE(wineReady) << "wine64 could not set up its prefix";
  }

  void writeFile(const std::string& folder, const std::string& name, const std::string& content) {
    std::ofstream(folder + "/" + name, std::ios::binary) << content;
  }
  void writeTwoSpotFiles(const std::string& folder) {
    writeFile(folder, "Ferlang.SET", kTwoSpotSettings);
    writeFile(folder, "spots.log", kTwoSpotLog);
  }

  // Waits until no window carries the plotter's title: the X server destroys the window of a
  // program that has ended only once it has seen the program's connection close.
  bool waitForNoPlotterWindow() {
    return waitUntil(10000, [&] { return e2e::windowsNamedWith(display, kTitle).empty(); });
  }

  // Writes the two-spot settings and log, starts the Windows plotter and waits until its chart
  // is drawn; returns its window (0 when no chart comes).
  //
  // The plotter looks for its window one second after it starts and attaches the menu bar only
  // if it finds it. The first program in a freshly made Wine prefix can get its window later
  // than that (Wine starts its desktop process then), and its chart then has no menu bar. Such
  // a start is tried once more; the second one finds Wine ready.
  Window startTwoSpotChart() {
    writeTwoSpotFiles(program.folder());
    for (int attempt = 1; attempt <= 2; ++attempt) {
      if (!waitForNoPlotterWindow()) return 0;
      pid = e2e::startUnderWine(program.path(), program.folder());
      Window window = x11driver::findWindow(display, kTitle, 30000);
      if (window == 0) return 0;
      client = waitForChart(display, window, 20000);
      if (client.complete()) return window;
      std::fprintf(stderr, "attempt %d: no chart with a menu bar; closing the window\n", attempt);
      closeAndExpectStatus0(window);
    }
    return 0;
  }

  // Waits for a top-level window whose name contains `part`; 0 when none comes.
  Window waitForWindowNamedWith(const std::string& part, int timeoutMs) {
    Window found = 0;
    waitUntil(timeoutMs, [&] {
      std::vector<Window> windows = e2e::windowsNamedWith(display, part);
      found = windows.empty() ? 0 : windows.front();
      return found != 0;
    });
    return found;
  }

  // The plotter must end with status 0 within 10 s; once it has, teardown has nothing to stop.
  void expectEndsWithStatus0() {
    EXPECT_EQ(e2e::waitForExit(pid, 10000), 0);
    pid = 0;
  }
  void closeAndExpectStatus0(Window window) {
    x11driver::sendClose(display, window);
    expectEndsWithStatus0();
  }

  // Clicks the middle of menu item `index` (0: "Edit setup file", 1: "Help").
  void clickMenuItem(Window window, size_t index) {
    std::vector<std::pair<int, int>> items = menuCaptionColumns(client);
    ASSERT_EQ(items.size(), 2u) << "two captions in the menu bar";
    x11driver::clickAt(display, window, (items[index].first + items[index].second) / 2, client.top / 2);
  }

  // The demo log and its settings beside both programs, and the Linux build's picture of it in
  // its folder's chart.png.
  void snapshotTheDemoLog(const e2e::TempProgram& linuxProgram) {
    for (const std::string& folder : {program.folder(), linuxProgram.folder()}) {
      for (const char* asset : {"Ferlang.SET", "wspr-demo.log"}) {
        std::filesystem::copy_file(std::string(FERLANG_ASSETS) + "/" + asset, folder + "/" + asset);
      }
    }
    e2e::FinishedRun linuxRun = e2e::runWithDisplay(linuxProgram.path(), linuxProgram.folder(), nullptr,
                                                    20000, {"--snapshot", "chart.png"});
    ASSERT_EQ(linuxRun.status, 0) << linuxRun.standardError;
  }

  static bool wineReady;
  e2e::TempProgram program{FERLANG_WINDOWS_EXE};
  ClientPicture client;
};

bool WinePlotterTest::wineReady = false;

TEST_F(WinePlotterTest, TwoSpotLogDrawsTheSameChartAsTheLinuxBuildPixelForPixel) {
  // The Linux build first, alone on the display (both windows carry the same title).
  e2e::TempProgram linuxProgram{FERLANG_BINARY};
  writeTwoSpotFiles(linuxProgram.folder());
  ASSERT_TRUE(waitForNoPlotterWindow());
  pid_t linuxPid = e2e::startProgram(linuxProgram.path(), linuxProgram.folder());
  Window linuxWindow = x11driver::findWindow(display, kTitle, 10000);
  ASSERT_NE(linuxWindow, 0u);
  x11driver::moveToOrigin(display, linuxWindow);
  ClientPicture linuxClient = waitForChart(display, linuxWindow, 15000);
  x11driver::sendClose(display, linuxWindow);
  EXPECT_EQ(e2e::waitForExit(linuxPid, 5000), 0);
  ASSERT_TRUE(linuxClient.complete()) << "the Linux build drew no chart";
  ASSERT_TRUE(waitForNoPlotterWindow()) << "the Linux build's window stays";

  Window window = startTwoSpotChart();
  ASSERT_NE(window, 0u) << "no chart in the Windows build's window";
  // The X window is the menu bar and the client area: 640 wide, 480 rows below the menu bar.
  EXPECT_EQ(client.picture.width, kWidth);
  EXPECT_GE(client.top, 15) << "a native menu bar above the client area";
  EXPECT_LE(client.top, 40);
  int differing = 0;
  std::string first;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      if (client.at(x, y) == linuxClient.at(x, y)) continue;
      if (differing++ == 0) first = std::to_string(x) + "," + std::to_string(y);
    }
  }
  EXPECT_EQ(differing, 0) << "first difference at " << first;
  // What the Linux end-to-end test checks, in the Windows picture too.
  EXPECT_EQ(client.at(267, 228), kLightRed);  // the watched station's marker
  EXPECT_EQ(client.at(608, 132), kBlack);     // the other station's dot
  EXPECT_TRUE(rowShows(client, 27, 50, "QQ1CCC 23:59:59  3 dB    ", kBlack));
  EXPECT_TRUE(rowShows(client, 27, 12, "QQ1BBB", kLightRed));
  // The menu bar holds the two captions.
  EXPECT_EQ(menuCaptionColumns(client).size(), 2u);
  closeAndExpectStatus0(window);
}

// The demo log's chart drawn without a window by both builds: every pixel the same.
TEST_F(WinePlotterTest, TheDemoLogSnapshotIsTheLinuxBuildsPixelForPixel) {
  e2e::TempProgram linuxProgram{FERLANG_BINARY};
  ASSERT_NO_FATAL_FAILURE(snapshotTheDemoLog(linuxProgram));
  pid = e2e::startUnderWine(program.path(), program.folder(), {"--snapshot", "chart.png"});
  EXPECT_EQ(e2e::waitForExit(pid, 60000), 0);
  pid = 0;

  const x11driver::Picture linuxPicture = e2e::readPng(linuxProgram.folder() + "/chart.png");
  const x11driver::Picture windowsPicture = e2e::readPng(program.folder() + "/chart.png");
  ASSERT_EQ(linuxPicture.pixels.size(), static_cast<size_t>(kWidth * kHeight));
  ASSERT_EQ(windowsPicture.pixels.size(), linuxPicture.pixels.size());
  const auto differing = std::inner_product(linuxPicture.pixels.begin(), linuxPicture.pixels.end(),
                                            windowsPicture.pixels.begin(), 0L, std::plus<>(),
                                            std::not_equal_to<>());
  std::printf("demo log: %ld of %d pixels differ between the Linux and Windows pictures\n", differing,
              kWidth * kHeight);
  EXPECT_EQ(differing, 0L);
}

// The web view of the Windows build, asked from Linux: the picture it serves is the Linux
// build's picture of the same log, pixel for pixel.
TEST_F(WinePlotterTest, TheWebViewServesTheLinuxBuildsPicture) {
  e2e::TempProgram linuxProgram{FERLANG_BINARY};
  ASSERT_NO_FATAL_FAILURE(snapshotTheDemoLog(linuxProgram));

  ASSERT_TRUE(waitForNoPlotterWindow());
  const int port = e2e::freeLoopbackPort();
  pid = e2e::startUnderWine(program.path(), program.folder(), {"--serve", std::to_string(port)});
  std::string png;
  waitUntil(60000, [&] {
    const e2e::HttpAnswer answer = e2e::httpGet(port, "/chart.png");
    png = answer.status == 200 ? answer.body : "";
    return !png.empty();
  });
  ASSERT_FALSE(png.empty()) << "no picture served on port " << port;
  EXPECT_NE(e2e::httpGet(port, "/").body.find("<title>Morvik Ferlang V0.03 18/11/17</title>"), std::string::npos);
  std::ofstream(program.folder() + "/served.png", std::ios::binary) << png;

  const x11driver::Picture linuxPicture = e2e::readPng(linuxProgram.folder() + "/chart.png");
  const x11driver::Picture servedPicture = e2e::readPng(program.folder() + "/served.png");
  ASSERT_EQ(servedPicture.pixels.size(), linuxPicture.pixels.size());
  EXPECT_TRUE(servedPicture.pixels == linuxPicture.pixels) << "the served picture differs";
  Window window = x11driver::findWindow(display, kTitle, 10000);
  ASSERT_NE(window, 0u) << "with a display the window runs beside the web view";
  closeAndExpectStatus0(window);
}

TEST_F(WinePlotterTest, HelpOpensNotepadOnceWhileTheChartKeepsRefreshing) {
  writeFile(program.folder(), "Ferlang Help.txt", "Help text\r\n");
  Window window = startTwoSpotChart();
  ASSERT_NE(window, 0u);
  clickMenuItem(window, 1);
  Window notepad = waitForWindowNamedWith("Ferlang Help.txt", 20000);
  ASSERT_NE(notepad, 0u) << "no Notepad window on Ferlang Help.txt";
  XMoveWindow(display, notepad, 700, 0);  // off the plotter's window, which is read below
  XSync(display, False);
  // The next refresh shows a spot appended to the log meanwhile.
  std::ofstream(program.folder() + "/spots.log", std::ios::binary | std::ios::app)
      << "QQ1DDD,a,12:34:56,b,7,c\r\n";
  bool refreshed = waitUntil(30000, [&] {
    client = captureClient(display, window);
    return rowShows(client, 27, 50, "QQ1DDD 12:34:56  7 dB    ", kBlack);
  });
  EXPECT_TRUE(refreshed) << "the chart did not show the appended spot";
  EXPECT_TRUE(chartDrawn(client));
  // One click, one Notepad, however many polls have passed since.
  EXPECT_EQ(e2e::windowsNamedWith(display, "Ferlang Help.txt").size(), 1u);
  x11driver::sendClose(display, notepad);
  closeAndExpectStatus0(window);
}

TEST_F(WinePlotterTest, EditSetupFileOpensNotepadOnTheSettingsFile) {
  Window window = startTwoSpotChart();
  ASSERT_NE(window, 0u);
  clickMenuItem(window, 0);
  Window notepad = waitForWindowNamedWith("Ferlang.set", 20000);
  ASSERT_NE(notepad, 0u) << "no Notepad window on Ferlang.set";
  x11driver::sendClose(display, notepad);
  closeAndExpectStatus0(window);
}

TEST_F(WinePlotterTest, MissingSettingsFileShowsError53AndNoEndsWithStatus0) {
  pid = e2e::startUnderWine(program.path(), program.folder());
  Window dialog = x11driver::findWindow(display, "Unhandled Error #53", 30000);
  ASSERT_NE(dialog, 0u) << "no dialog named Unhandled Error #53";
  std::this_thread::sleep_for(std::chrono::milliseconds(300));  // mapped and ready for keys
  x11driver::typeKey(display, dialog, XK_n);
  expectEndsWithStatus0();
}

TEST_F(WinePlotterTest, CloseBoxEndsWithStatus0) {
  Window window = startTwoSpotChart();
  ASSERT_NE(window, 0u);
  closeAndExpectStatus0(window);
}

TEST_F(WinePlotterTest, EscapeShowsThePromptAndTheNextKeyEndsWithStatus0) {
  Window window = startTwoSpotChart();
  ASSERT_NE(window, 0u);
  x11driver::typeKey(display, window, XK_Escape);
  EXPECT_TRUE(waitUntil(5000, [&] {
    client = captureClient(display, window);
    return rowShows(client, 30, 1, "Press any key to continue", kBlack);
  }));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_TRUE(e2e::isRunning(pid)) << "the program waits for a key after the prompt";
  x11driver::typeKey(display, window, XK_space);
  expectEndsWithStatus0();
}

// Alt+Enter steps through full screen (stretched, smoothed, square pixels, smoothed) and back to
// the window, which then shows the same picture as before.
TEST_F(WinePlotterTest, AltEnterFillsTheScreenAndFiveReturnToTheSameWindow) {
  Window window = startTwoSpotChart();
  ASSERT_NE(window, 0u);
  const ClientPicture windowed = client;
  const int screenWidth = DisplayWidth(display, DefaultScreen(display));
  const int screenHeight = DisplayHeight(display, DefaultScreen(display));
  x11driver::typeKeyWith(display, window, {XK_Alt_L}, XK_Return);
  // Stretched over the client area below the menu bar (which keeps its height): the chart's
  // white inside and the background around it, where the scale puts them.
  const int fullTop = windowed.top;
  const double scaleX = static_cast<double>(screenWidth) / kWidth;
  const double scaleY = static_cast<double>(screenHeight - fullTop) / kHeight;
  auto scaled = [&](const x11driver::Picture& full, int x, int y) {
    return full.at(static_cast<int>((x + 0.5) * scaleX), fullTop + static_cast<int>((y + 0.5) * scaleY));
  };
  x11driver::Picture full;
  EXPECT_TRUE(waitUntil(5000, [&] {
    full = x11driver::capture(display, window);
    return full.width == screenWidth && full.height == screenHeight && scaled(full, 300, 300) == kWhite &&
           scaled(full, 5, 5) == kBackground && scaled(full, 267, 228) == kLightRed;
  })) << "the window does not show the stretched chart over the screen";
  for (int press = 0; press < 4; ++press) {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    x11driver::typeKeyWith(display, window, {XK_Alt_L}, XK_Return);
  }
  EXPECT_TRUE(waitUntil(5000, [&] {
    client = captureClient(display, window);
    return client.complete() && client.top == windowed.top &&
           client.picture.pixels == windowed.picture.pixels;
  })) << "the window did not come back as it was";
  closeAndExpectStatus0(window);
}

}  // namespace
