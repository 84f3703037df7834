// The command line of the real program: a settings folder of the user's choice, the picture
// without a window (equal to the window's picture, errors on standard error with status 1 and
// no file, a picture every few minutes until SIGTERM), and the refusals with status 2.
#include <X11/keysym.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "runtime/display/menu_bar.h"
#include "tests/e2e/png_picture.h"
#include "tests/e2e/process.h"
#include "tests/e2e/x11_test.h"
#include "tools/x11_driver/x11_driver.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
constexpr const char* kTitle = "Morvik Ferlang V0.03 18/11/17";

std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The program in a folder of its own, and a settings folder elsewhere holding the demo log.
class CommandLineTest : public e2e::X11Test {
 protected:
  void SetUp() override {
    X11Test::SetUp();
    settings = program.folder() + "-settings";
    fs::create_directories(settings);
    fs::copy_file(std::string(FERLANG_ASSETS) + "/wspr-demo.log", settings + "/wspr-demo.log");
    fs::copy_file(std::string(FERLANG_ASSETS) + "/Ferlang.SET", settings + "/Ferlang.SET");
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(settings, ignored);
    X11Test::TearDown();
  }

  e2e::FinishedRun run(const std::vector<std::string>& arguments, int timeoutMs = 20000) {
    return e2e::runWithDisplay(program.path(), "/tmp", nullptr, timeoutMs, arguments);
  }

  e2e::TempProgram program{FERLANG_BINARY};
  std::string settings;
};

// Counts the pixels of the window's chart (below the menu strip) that differ from `expected`.
size_t differingPixels(const x11driver::Picture& window, const x11driver::Picture& expected) {
  const int strip = rt::kMenuStripHeight;
  if (window.width != expected.width || window.height != expected.height + strip) return SIZE_MAX;
  size_t differing = 0;
  for (int y = 0; y < expected.height; ++y) {
    for (int x = 0; x < expected.width; ++x) differing += window.at(x, y + strip) != expected.at(x, y);
  }
  return differing;
}

TEST_F(CommandLineTest, TheSnapshotWithoutADisplayIsTheWindowsPicturePixelForPixel) {
  const std::string png = settings + "/chart.png";
  e2e::FinishedRun snapshot = run({"--folder", settings, "--snapshot", png});
  ASSERT_EQ(snapshot.status, 0) << snapshot.standardError;
  EXPECT_EQ(snapshot.standardError, "");
  const x11driver::Picture expected = e2e::readPng(png);
  ASSERT_EQ(expected.width, 640);
  ASSERT_EQ(expected.height, 480);

  // The window, started elsewhere with the same folder, draws the same chart.
  ASSERT_TRUE(noWindowTitled(kTitle));
  pid = e2e::startProgram(program.path(), "/tmp", {"--folder", settings});
  Window window = x11driver::findWindow(display, kTitle, 10000);
  ASSERT_NE(window, 0u);
  x11driver::moveToOrigin(display, window);
  size_t differing = SIZE_MAX;
  x11driver::Picture shown;
  for (auto deadline = Clock::now() + std::chrono::seconds(15); differing != 0 && Clock::now() < deadline;) {
    shown = x11driver::capture(display, window);
    differing = differingPixels(shown, expected);
    if (differing != 0) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  EXPECT_EQ(differing, 0u) << "pixels that differ between the window (" << shown.width << " x "
                           << shown.height << ") and the PNG";
  x11driver::sendClose(display, window);
  EXPECT_EQ(e2e::waitForExit(pid, 5000), 0);
  pid = 0;
}

TEST_F(CommandLineTest, ASnapshotErrorGoesToStandardErrorWithStatus1AndTheOldPictureStays) {
  const struct {
    const char* what;
    const char* settingsFile;  // nullptr: no Ferlang.SET at all
    const char* expectedError;
  } cases[] = {
      {"no settings file", nullptr, "Unhandled Error #53: Line:146 File not found"},
      {"no spot log", "absent.log\r\nA\r\nB\r\nC\r\nD\r\nE\r\nF\r\n",
       "Unhandled Error #53: Line:243 File not found"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove(settings + "/Ferlang.SET");
    if (c.settingsFile != nullptr) std::ofstream(settings + "/Ferlang.SET", std::ios::binary) << c.settingsFile;
    const std::string png = settings + "/chart.png";
    std::ofstream(png, std::ios::binary) << "the last good picture";
    e2e::FinishedRun snapshot = run({"--snapshot", png, "--folder", settings});
    EXPECT_EQ(snapshot.status, 1);
    EXPECT_NE(snapshot.standardError.find(c.expectedError), std::string::npos) << snapshot.standardError;
    EXPECT_EQ(std::count(snapshot.standardError.begin(), snapshot.standardError.end(), '\n'), 1)
        << snapshot.standardError;
    EXPECT_EQ(readAll(png), "the last good picture");
    EXPECT_FALSE(fs::exists(png + ".partial"));
  }
}

TEST_F(CommandLineTest, EveryMinutesKeepsThePictureUntilSigtermEndsWithStatus0) {
  const std::string png = settings + "/chart.png";
  pid = e2e::startProgram(program.path(), "/tmp", {"--folder", settings, "--snapshot", png, "--every", "1"});
  auto deadline = Clock::now() + std::chrono::seconds(15);
  while (!fs::exists(png) && Clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ASSERT_TRUE(fs::exists(png));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_TRUE(e2e::isRunning(pid)) << "it waits for the next minute";
  EXPECT_EQ(e2e::readPng(png).width, 640);
  kill(pid, SIGTERM);
  EXPECT_EQ(e2e::waitForExit(pid, 3000), 0);
  pid = 0;
}

// The web view without a display: a missing log is a line on the page and no picture; once the
// log is there the next cycle serves the snapshot's picture and clears the line; SIGTERM ends
// it with status 0.
TEST_F(CommandLineTest, ServeWithoutADisplayShowsErrorsOnThePageAndThenTheChart) {
  fs::rename(settings + "/wspr-demo.log", settings + "/later.log");
  e2e::FinishedRun snapshotRun = run({"--folder", settings, "--snapshot", settings + "/expected.png"});
  ASSERT_EQ(snapshotRun.status, 1) << "no log yet";
  std::ofstream(settings + "/Ferlang.SET", std::ios::binary)
      << "wspr-demo.log\r\nDK7QX\r\nG4WNT\r\nSM5XPA\r\nEA5HQO\r\nW3RJD\r\nOH2LRT\r\n";
  const int port = e2e::freeLoopbackPort();
  pid = e2e::startProgram("/usr/bin/env", "/tmp",
                          {"-u", "DISPLAY", program.path(), "--folder", settings, "--serve", std::to_string(port)});
  auto waitFor = [&](int seconds, auto condition) {
    for (auto deadline = Clock::now() + std::chrono::seconds(seconds); Clock::now() < deadline;) {
      if (condition()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    return false;
  };
  EXPECT_TRUE(waitFor(10, [&] {
    return e2e::httpGet(port, "/").body.find(">Unhandled Error #53: Line:243 File not found</p>") !=
           std::string::npos;
  }));
  EXPECT_EQ(e2e::httpGet(port, "/chart.png").status, 503) << "no good picture yet";
  EXPECT_TRUE(e2e::isRunning(pid)) << "an error does not end it";

  fs::rename(settings + "/later.log", settings + "/wspr-demo.log");
  snapshotRun = run({"--folder", settings, "--snapshot", settings + "/expected.png"});
  ASSERT_EQ(snapshotRun.status, 0) << snapshotRun.standardError;
  e2e::HttpAnswer picture;
  EXPECT_TRUE(waitFor(25, [&] { return (picture = e2e::httpGet(port, "/chart.png")).status == 200; }));
  std::ofstream(settings + "/served.png", std::ios::binary) << picture.body;
  EXPECT_TRUE(e2e::readPng(settings + "/served.png").pixels == e2e::readPng(settings + "/expected.png").pixels);
  EXPECT_NE(e2e::httpGet(port, "/").body.find("<p id=\"error\" role=\"alert\"></p>"), std::string::npos);
  ASSERT_TRUE(noWindowTitled(kTitle));
  kill(pid, SIGTERM);
  EXPECT_EQ(e2e::waitForExit(pid, 3000), 0);
  pid = 0;
}

TEST_F(CommandLineTest, ServeOnAPortInUseEndsWithStatus2AndOneLine) {
  const int port = e2e::freeLoopbackPort();
  pid = e2e::startProgram("/usr/bin/env", "/tmp",
                          {"-u", "DISPLAY", program.path(), "--folder", settings, "--serve", std::to_string(port)});
  for (int i = 0; i < 50 && e2e::httpGet(port, "/").status == 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  const e2e::FinishedRun second = run({"--folder", settings, "--serve", std::to_string(port)});
  EXPECT_EQ(second.status, 2);
  EXPECT_NE(second.standardError.find("cannot serve at 127.0.0.1 port " + std::to_string(port)), std::string::npos)
      << second.standardError;
  EXPECT_EQ(std::count(second.standardError.begin(), second.standardError.end(), '\n'), 1);
  kill(pid, SIGINT);
  EXPECT_EQ(e2e::waitForExit(pid, 3000), 0);
  pid = 0;
}

TEST_F(CommandLineTest, UsageErrorsEndWithStatus2AndOneLineBeforeAnyWindow) {
  const struct {
    std::vector<std::string> arguments;
    const char* expected;
  } cases[] = {
      {{"--bogus"}, "ferlang: unknown option \"--bogus\""},
      {{"--folder", "/nonexistent-ferlang-folder"}, "does not exist"},
      {{"--folder", "/etc/hostname"}, "is not a folder"},
      {{"--every", "3"}, "--every goes with --snapshot"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments.front());
    e2e::FinishedRun refused = e2e::runWithDisplay(program.path(), "/tmp", DisplayString(display), 5000, c.arguments);
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.standardError.find(c.expected), std::string::npos) << refused.standardError;
    EXPECT_EQ(std::count(refused.standardError.begin(), refused.standardError.end(), '\n'), 1);
    EXPECT_EQ(x11driver::findWindow(display, kTitle, 0), 0u) << "no window opened";
  }
  for (const char* informative : {"--help", "--version"}) {
    e2e::FinishedRun shown = run({informative}, 5000);
    EXPECT_EQ(shown.status, 0) << informative;
    EXPECT_EQ(shown.standardError, "") << informative;
  }
}

}  // namespace
