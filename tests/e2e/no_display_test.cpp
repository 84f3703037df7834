// The real executable started without a display: with DISPLAY unset, and with DISPLAY naming a
// display number no server answers on. Every run must write exactly one line to standard error
// and end with status 1 (before the start-up check existed, freeglut ended the process from the
// main thread while the runtime's threads ran, and some runs crashed). So must a fatal error of
// freeglut itself, seen through a probe that skips the start-up check.
#include <gtest/gtest.h>
// After GoogleTest: Xlib's macros (None, Bool) would break its headers.
#include <X11/Xlib.h>

#include <filesystem>
#include <string>

#include "tests/e2e/process.h"

namespace {

constexpr int kRuns = 50;
constexpr int kTimeoutMs = 10000;

// A display name (":N") on which no X server answers.
std::string displayWithNoServer() {
  for (int number = 97; number < 400; ++number) {
    const std::string name = ":" + std::to_string(number);
    if (std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(number)) ||
        std::filesystem::exists("/tmp/.X" + std::to_string(number) + "-lock")) {
      continue;
    }
    Display* display = XOpenDisplay(name.c_str());
    if (display == nullptr) return name;
    XCloseDisplay(display);
  }
  return {};
}

// The names in `folder` other than `keep`.
std::string otherEntries(const std::string& folder, const std::string& keep) {
  std::string names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path() != keep) names += entry.path().filename().string() + " ";
  }
  return names;
}

// Runs `program` kRuns times with `display` and expects status 1 and exactly `line` each time.
void expectOneLineAndStatusOne(const e2e::TempProgram& program, const char* display,
                               const std::string& line) {
  for (int run = 0; run < kRuns; ++run) {
    e2e::FinishedRun result = e2e::runWithDisplay(program.path(), program.folder(), display, kTimeoutMs);
    ASSERT_EQ(result.status, 1) << "run " << run << ", standard error: " << result.standardError;
    ASSERT_EQ(result.standardError, line + "\n") << "run " << run;
  }
  // Nothing was left behind in the program's folder.
  EXPECT_EQ(otherEntries(program.folder(), program.path()), "");
}

TEST(NoDisplayTest, WithoutDisplaySetEveryRunWritesOneLineAndEndsWithStatusOne) {
  e2e::TempProgram program(FERLANG_BINARY);
  expectOneLineAndStatusOne(
      program, nullptr,
      "ferlang: no display: DISPLAY is not set; set it to a running X server (for example DISPLAY=:0)");
}

TEST(NoDisplayTest, WithAnEmptyDisplayEveryRunWritesOneLineAndEndsWithStatusOne) {
  e2e::TempProgram program(FERLANG_BINARY);
  expectOneLineAndStatusOne(
      program, "",
      "ferlang: no display: DISPLAY is not set; set it to a running X server (for example DISPLAY=:0)");
}

TEST(NoDisplayTest, WithADisplayNoServerAnswersEveryRunWritesOneLineAndEndsWithStatusOne) {
  const std::string display = displayWithNoServer();
  ASSERT_FALSE(display.empty()) << "every display number checked has a server";
  e2e::TempProgram program(FERLANG_BINARY);
  expectOneLineAndStatusOne(
      program, display.c_str(),
      "ferlang: cannot open the display \"" + display + "\": set DISPLAY to a running X server");
}

TEST(NoDisplayTest, FatalErrorOfTheWindowLibraryWritesOneLineAndEndsWithStatusOne) {
  const std::string display = displayWithNoServer();
  ASSERT_FALSE(display.empty()) << "every display number checked has a server";
  e2e::TempProgram program(WINDOW_FAILURE_PROBE_BINARY);
  for (const char* name : {static_cast<const char*>(nullptr), display.c_str()}) {
    for (int run = 0; run < kRuns; ++run) {
      e2e::FinishedRun result = e2e::runWithDisplay(program.path(), program.folder(), name, kTimeoutMs);
      ASSERT_EQ(result.status, 1) << "run " << run << ", standard error: " << result.standardError;
      // One line, from the runtime rather than from freeglut's own report.
      ASSERT_EQ(result.standardError.find('\n'), result.standardError.size() - 1) << result.standardError;
      ASSERT_EQ(result.standardError.rfind("window_failure_probe: window library: ", 0), 0u)
          << result.standardError;
      ASSERT_NE(result.standardError.find("display"), std::string::npos) << result.standardError;
    }
  }
}

}  // namespace
