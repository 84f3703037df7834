#include "runtime/system/shell_launch.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "runtime/core/errors.h"
#include "runtime/core/shared_flags.h"
#include "runtime/display/window_state.h"
#include "tests/support/scripted_message_box.h"
#include "tests/unit/system/shell_launch_fixture.h"

namespace rt {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// A stand-in for every outside program: appends its name and arguments to $FAKE_LOG and, when
// $FAKE_SLEEP is set, waits that long and then appends "done" with its name.
constexpr const char* kRecorder = R"(#!/bin/sh
{
  printf 'run %s\n' "${0##*/}"
  for argument in "$@"; do printf 'arg [%s]\n' "$argument"; done
} >> "$FAKE_LOG"
if [ -n "$FAKE_SLEEP" ]; then
  sleep "$FAKE_SLEEP"
  printf 'done %s\n' "${0##*/}" >> "$FAKE_LOG"
fi
)";

void writeFile(const std::string& path, std::string_view contents, mode_t mode = 0644) {
  std::ofstream(path, std::ios::binary)
      .write(contents.data(), static_cast<std::streamsize>(contents.size()));
  chmod(path.c_str(), mode);
}

// Runs each test in a fresh folder that is the current directory, with fake programs first on
// PATH, no display named, and the real interpreter.
class ShellLaunchTest : public testing::ShellLaunchFixture {
 protected:
  ShellLaunchTest()
      : ShellLaunchFixture({"PATH", "DISPLAY", "WAYLAND_DISPLAY", "FAKE_LOG", "FAKE_SLEEP"},
                           /*logPatience=*/3s, /*logPollInterval=*/5ms) {}

  void SetUp() override {
    ShellLaunchFixture::SetUp();
    if (HasFatalFailure()) return;
    bin = folder() + "/bin";
    std::filesystem::create_directory(bin);
    for (const char* name : {"recorder", "xdg-open", "x-terminal-emulator", "echo"}) {
      writeFile(bin + "/" + name, kRecorder, 0755);
    }
    setenv("PATH", (bin + ":/usr/bin:/bin").c_str(), 1);
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("FAKE_SLEEP");
  }

  std::string bin;
};

void setFullScreenMode(int32_t mode) {
  windowState().fullScreenMode.store(mode);
}

// ---- The order of tries -------------------------------------------------------------------------

TEST_F(ShellLaunchTest, RunShell_TriesFileThenProgramWithArgumentsThenInterpreter) {
  writeFile("notes.set", "settings\n");
  writeFile("-odd.txt", "text\n");
  writeFile("localtool", kRecorder, 0755);
  std::filesystem::create_directory("docs");
  std::filesystem::create_directory("dir with blank");
  writeFile(folder() + "/dir with blank/tool", kRecorder, 0755);

  struct Case {
    std::string name, command, log;
  } cases[] = {
      {"a program on PATH named by the whole command runs with no arguments", "recorder",
       "run recorder\n"},
      {"the first word runs as a program with the rest as its arguments",
       "recorder one \"two words\" three",
       "run recorder\narg [one]\narg [two words]\narg [three]\n"},
      {"a quoted program path keeps its blank and its argument",
       "\"" + folder() + "/dir with blank/tool\" -x", "run tool\narg [-x]\n"},
      {"a path with a slash runs from the current folder", "./localtool", "run localtool\n"},
      {"a program in the current folder named without a path is not run", "localtool", ""},
      {"a document opens with xdg-open", "notes.set", "run xdg-open\narg [notes.set]\n"},
      {"a document named in another letter case opens under its real name", "NOTES.SET",
       "run xdg-open\narg [notes.set]\n"},
      {"a document whose name begins with a dash is not taken for an option", "-odd.txt",
       "run xdg-open\narg [./-odd.txt]\n"},
      {"a folder opens with xdg-open", "docs", "run xdg-open\narg [docs]\n"},
      {"an internal first word skips the program try and runs in the interpreter",
       "echo interpreted >> \"$FAKE_LOG\"", "interpreted\n"},
      {"a program that neither file try finds falls back to the interpreter",
       "nosuchprogram-ferlang 2>/dev/null; echo fallback >> \"$FAKE_LOG\"", "fallback\n"},
      {"a command that begins with a blank runs nothing", " recorder x", ""},
      {"a program's arguments reach it literally, without a shell",
       "recorder a;b $(touch pwned) 'q' `touch pwned`",
       "run recorder\narg [a;b]\narg [$(touch]\narg [pwned)]\narg ['q']\narg [`touch]\n"
       "arg [pwned`]\n"},
      {"the command ends at a zero byte", std::string("recorder\0 x", 11), "run recorder\n"},
  };
  for (const Case& c : cases) {
    clearLog();
    run(c.command);
    EXPECT_EQ(log(), c.log) << c.name;
    EXPECT_EQ(displaySuspended.load(), DisplaySuspension::None) << c.name;
  }
  EXPECT_FALSE(std::filesystem::exists("pwned"));
}

TEST_F(ShellLaunchTest, RunShell_WaitsWithDisplaySuspendedAndClearsItAfter) {
  writeFile("notes.set", "settings\n");
  setenv("FAKE_SLEEP", "0.3", 1);
  for (const char* command : {"recorder", "recorder with arguments", "notes.set"}) {
    expectRunWaitsWithTheDisplaySuspended(command);
  }
}

TEST_F(ShellLaunchTest, RunShell_PassesAnOddDocumentNameLiterally) {
  const std::string name = "it's \"quoted\"; $(touch pwned) & `touch pwned` x.txt";
  writeFile(name, "text\n");
  run(name);
  EXPECT_EQ(log(), "run xdg-open\narg [" + name + "]\n");
  EXPECT_FALSE(std::filesystem::exists("pwned"));
}

TEST_F(ShellLaunchTest, RunShell_DoesNothingWhileAnErrorIsPending) {
  pendingError = 53;
  run("recorder");
  EXPECT_EQ(log(), "");
  EXPECT_EQ(pendingError.load(), 53u);
}

TEST_F(ShellLaunchTest, RunShell_ReportsNothingWhenNoTrySucceeds) {
  testing::ScriptedMessageBox box;
  run("nosuchprogram-ferlang");
  run("nosuchprogram-ferlang with arguments");
  run(" leading blank");
  setCommandInterpreterForTesting(folder() + "/no-interpreter");
  run("nosuchprogram-ferlang");
  run("dir");
  EXPECT_TRUE(box.shown.empty());
  EXPECT_EQ(pendingError.load(), 0u);
  EXPECT_EQ(checkpointPending.load(), 0);
  EXPECT_EQ(log(), "");
}

TEST_F(ShellLaunchTest, RunShell_WithoutAnInterpreterStillStartsProgramsDirectly) {
  setCommandInterpreterForTesting(folder() + "/no-interpreter");
  EXPECT_EQ(commandInterpreterAvailable(), 0);
  run("recorder a");
  run("echo internal >> \"$FAKE_LOG\"");
  EXPECT_EQ(log(), "run recorder\narg [a]\n");
}

TEST_F(ShellLaunchTest, CommandInterpreter_IsTestedOnceAndGetsTheCommandAfterDashC) {
  const std::string interpreter = folder() + "/countingsh";
  writeFile(interpreter, std::string(kRecorder) + "exec /bin/sh \"$@\"\n", 0755);
  setCommandInterpreterForTesting(interpreter);
  EXPECT_EQ(commandInterpreterAvailable(), 1);
  EXPECT_EQ(commandInterpreterAvailable(), 1);
  EXPECT_EQ(log(), "run countingsh\narg [-c]\narg []\n");
  clearLog();
  run("dir >/dev/null 2>&1; echo after >> \"$FAKE_LOG\"");
  EXPECT_EQ(log(),
            "run countingsh\narg [-c]\narg [dir >/dev/null 2>&1; echo after >> \"$FAKE_LOG\"]\n"
            "after\n");
}

// ---- The empty command --------------------------------------------------------------------------

TEST_F(ShellLaunchTest, EmptyCommand_OpensATerminalWhenADisplayIsNamedAndWaits) {
  setenv("DISPLAY", "no-such-host:9", 1);  // named only; nothing connects
  setenv("FAKE_SLEEP", "0.2", 1);
  expectEmptyCommandWaitsWithTheDisplaySuspended(
      "run x-terminal-emulator\ndone x-terminal-emulator\n");
}

TEST_F(ShellLaunchTest, EmptyCommand_RunsNothingWithNoDisplayAndNoTerminal) {
  int savedInput = dup(STDIN_FILENO);
  int nullInput = open("/dev/null", O_RDONLY);
  ASSERT_GE(nullInput, 0);
  dup2(nullInput, STDIN_FILENO);
  close(nullInput);
  auto started = Clock::now();
  run("");
  auto elapsed = Clock::now() - started;
  dup2(savedInput, STDIN_FILENO);
  close(savedInput);
  EXPECT_EQ(log(), "");
  EXPECT_LT(elapsed, 1s);
}

// ---- The full-screen hand-over ------------------------------------------------------------------

TEST_F(ShellLaunchTest, FullScreen_IsLeftForTheCommandAndRestoredAfter) {
  windowExists = true;
  setFullScreenMode(2);
  setenv("FAKE_SLEEP", "0.2", 1);
  testing::FakeWindowThread window;
  testing::SuspensionMonitor monitor;
  run("recorder");
  monitor.stopNow();
  std::vector<int32_t> requests = window.finish();
  EXPECT_EQ(requests, (std::vector<int32_t>{0, 2}));
  EXPECT_TRUE(monitor.sawSuspended);
  EXPECT_FALSE(monitor.sawFullScreenWhileSuspended);
  EXPECT_EQ(windowState().fullScreenMode.load(), 2);
  EXPECT_EQ(log(), "run recorder\ndone recorder\n");
  windowExists = false;
  setFullScreenMode(0);
}

TEST_F(ShellLaunchTest, FullScreen_AWindowedWindowGetsNoRequest) {
  windowExists = true;
  setFullScreenMode(0);
  run("recorder");
  EXPECT_EQ(fullScreenRequest.load(), -1);
  EXPECT_EQ(log(), "run recorder\n");
  windowExists = false;
}

TEST_F(ShellLaunchTest, FullScreen_TheCommandStillRunsWhenTheWindowThreadNeverAnswers) {
  windowExists = true;
  setFullScreenMode(1);
  auto started = Clock::now();
  run("recorder");
  auto elapsed = Clock::now() - started;
  EXPECT_EQ(log(), "run recorder\n");
  EXPECT_LT(elapsed, 10s);
  EXPECT_EQ(fullScreenRequest.load(), 1);  // the restore stays asked for
  fullScreenRequest = -1;
  setFullScreenMode(0);
  windowExists = false;
}

// ---- The text editor ----------------------------------------------------------------------------

TEST_F(ShellLaunchTest, OpenInTextEditor_ReturnsAtOnceAndLeavesNoZombie) {
  writeFile("Ferlang.set", "settings\n");
  setenv("FAKE_SLEEP", "1", 1);
  testing::SuspensionMonitor monitor;
  auto started = Clock::now();
  EXPECT_TRUE(openInTextEditor(literalString("Ferlang.set")));
  EXPECT_LT(Clock::now() - started, 500ms);
  EXPECT_TRUE(logEventuallyContains("done xdg-open"));
  monitor.stopNow();
  EXPECT_FALSE(monitor.sawSuspended);
  EXPECT_EQ(log(), "run xdg-open\narg [Ferlang.set]\ndone xdg-open\n");
  // Once the editor has ended, the process has no child left, not even a zombie.
  bool noChildren = false;
  auto deadline = Clock::now() + 3s;
  while (!noChildren && Clock::now() < deadline) {
    siginfo_t info{};
    noChildren = waitid(P_ALL, 0, &info, WEXITED | WNOHANG | WNOWAIT) == -1 && errno == ECHILD;
    if (!noChildren) std::this_thread::sleep_for(5ms);
  }
  EXPECT_TRUE(noChildren);
}

TEST_F(ShellLaunchTest, OpenInTextEditor_PassesTheNameItExistsUnderLiterally) {
  struct Case {
    std::string stored, asked, argument;
  } cases[] = {
      {"Ferlang.SET", "Ferlang.set", "Ferlang.SET"},
      {"Ferlang Help.txt", "Ferlang Help.txt", "Ferlang Help.txt"},
      {"-dash.txt", "-dash.txt", "./-dash.txt"},
      {"a \"b\"; $(touch pwned) `touch pwned` & c.txt",
       "a \"b\"; $(touch pwned) `touch pwned` & c.txt",
       "a \"b\"; $(touch pwned) `touch pwned` & c.txt"},
      {"", "missing.txt", "missing.txt"},
  };
  for (const Case& c : cases) {
    clearLog();
    if (!c.stored.empty()) writeFile(c.stored, "text\n");
    EXPECT_TRUE(openInTextEditor(literalString(c.asked))) << c.asked;
    EXPECT_TRUE(logEventuallyContains("arg [")) << c.asked;
    EXPECT_EQ(log(), "run xdg-open\narg [" + c.argument + "]\n") << c.asked;
  }
  EXPECT_FALSE(std::filesystem::exists("pwned"));
}

TEST_F(ShellLaunchTest, OpenInTextEditor_FailsQuietlyWhenNothingCanBeOpened) {
  testing::ScriptedMessageBox box;
  EXPECT_FALSE(openInTextEditor(literalString("")));
  EXPECT_FALSE(openInTextEditor(literalString(std::string_view("a\0b", 3))));
  std::filesystem::create_directory("empty");
  setenv("PATH", (folder() + "/empty").c_str(), 1);
  EXPECT_FALSE(openInTextEditor(literalString("Ferlang.set")));
  EXPECT_TRUE(box.shown.empty());
  EXPECT_EQ(pendingError.load(), 0u);
}

}  // namespace
}  // namespace rt
