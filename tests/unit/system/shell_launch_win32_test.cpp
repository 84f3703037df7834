// Shell launch on Windows: the order of tries (the whole command through the shell, then the
// first word with the rest as parameters, then the interpreter with " /c"), the old interpreter
// where "cmd.exe" cannot be started, the wait with the display suspended, and Notepad started
// through "CMD /C start". Every outside program is a copy of the recorder (recorder.cpp) in the
// test's own folder, named after the program it stands in for.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "runtime/core/errors.h"
#include "runtime/core/shared_flags.h"
#include "runtime/display/window_state.h"
#include "runtime/system/shell_launch.h"
#include "tests/support/saved_environment.h"
#include "tests/support/scripted_message_box.h"
#include "tests/unit/system/shell_launch_fixture.h"

namespace rt {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// Runs each test in a fresh folder that is the current directory, with the recorder's copies
// in it and first on PATH, and the system's own interpreter.
class ShellLaunchWin32Test : public testing::ShellLaunchFixture {
 protected:
  ShellLaunchWin32Test()
      : ShellLaunchFixture({"PATH", "FAKE_LOG", "FAKE_SLEEP_MS"}, /*logPatience=*/10s,
                           /*logPollInterval=*/10ms) {}

  void SetUp() override {
    ShellLaunchFixture::SetUp();
    if (HasFatalFailure()) return;
    const char* path = getenv("PATH");
    support::setEnvironmentVariable("PATH", folder() + ";" + (path != nullptr ? path : ""));
    support::removeEnvironmentVariable("FAKE_SLEEP_MS");
    installProgram("recorder.exe");
  }

  void TearDown() override {
    ShellLaunchFixture::TearDown();
    // A program that is still running keeps its file; the folder goes when it has ended.
    std::error_code ignored;
    for (int attempt = 0; attempt < 50 && fs::exists(folder()); ++attempt) {
      fs::remove_all(folder(), ignored);
      if (fs::exists(folder())) std::this_thread::sleep_for(100ms);
    }
  }

  // Copies the recorder into the test's folder (or a subfolder) as `name`; returns its path.
  std::string installProgram(const std::string& name) const {
    const fs::path target = fs::path(folder()) / name;
    fs::create_directories(target.parent_path());
    fs::copy_file(FERLANG_RECORDER_EXE, target, fs::copy_options::overwrite_existing);
    return target.string();
  }
};

// ---- The order of tries, with a stand-in interpreter --------------------------------------------

TEST_F(ShellLaunchWin32Test, RunShell_TriesTheShellThenTheFirstWordThenTheInterpreter) {
  const std::string interpreter = installProgram("interp.exe");
  installProgram("dir.exe");  // would run if an internal command reached the file tries
  installProgram("dir with blank\\tool.exe");
  std::ofstream(folder() + "\\notes.noassoc") << "no program opens this type\n";
  setCommandInterpreterForTesting(interpreter);
  ASSERT_EQ(commandInterpreterAvailable(), 1);

  struct Case {
    std::string name, command, log;
  } cases[] = {
      {"a program named by the whole command runs with no parameters", "recorder",
       "run recorder\n"},
      {"the first word runs as the program with the rest as its parameters",
       "recorder one \"two words\" three",
       "run recorder\narg [one]\narg [two words]\narg [three]\n"},
      {"a quoted program path keeps its blank and gets the rest",
       "\"" + folder() + "\\dir with blank\\tool.exe\" -x", "run tool\narg [-x]\n"},
      {"an internal command skips both shell tries and goes to the interpreter", "dir /w",
       "run interp\narg [/c]\narg [dir]\narg [/w]\n"},
      {"an internal command alone goes to the interpreter", "DIR",
       "run interp\narg [/c]\narg [DIR]\n"},
      {"an internal first word skips the program try", "echo hello",
       "run interp\narg [/c]\narg [echo]\narg [hello]\n"},
      {"a program that no shell try finds falls back to the interpreter",
       "nosuchprogram-ferlang a b",
       "run interp\narg [/c]\narg [nosuchprogram-ferlang]\narg [a]\narg [b]\n"},
      {"a document no program opens falls back to the interpreter", "notes.noassoc",
       "run interp\narg [/c]\narg [notes.noassoc]\n"},
      {"a command that begins with a blank runs nothing", " recorder x", ""},
      {"the command ends at a zero byte", std::string("recorder\0 x", 11), "run recorder\n"},
  };
  for (const Case& c : cases) {
    clearLog();
    run(c.command);
    EXPECT_EQ(log(), c.log) << c.name;
    EXPECT_EQ(displaySuspended.load(), DisplaySuspension::None) << c.name;
  }
}

TEST_F(ShellLaunchWin32Test, RunShell_WaitsWithTheDisplaySuspendedAndClearsItAfter) {
  setCommandInterpreterForTesting(installProgram("interp.exe"));
  support::setEnvironmentVariable("FAKE_SLEEP_MS", "300");
  for (const char* command : {"recorder", "recorder with parameters", "dir"}) {
    expectRunWaitsWithTheDisplaySuspended(command);
  }
}

TEST_F(ShellLaunchWin32Test, RunShell_DoesNothingWhileAnErrorIsPending) {
  pendingError = 53;
  run("recorder");
  EXPECT_EQ(log(), "");
  EXPECT_EQ(pendingError.load(), 53u);
}

TEST_F(ShellLaunchWin32Test, CommandInterpreter_IsTestedOnceWithVer) {
  const std::string interpreter = installProgram("interp.exe");
  setCommandInterpreterForTesting(interpreter);
  EXPECT_EQ(commandInterpreterAvailable(), 1);
  EXPECT_EQ(commandInterpreterAvailable(), 1);
  EXPECT_EQ(log(), "run interp\narg [/c]\narg [ver]\n");
  setCommandInterpreterForTesting(folder() + "\\missing\\interp.exe");
  EXPECT_EQ(commandInterpreterAvailable(), 0);
}

// Without "cmd.exe" the old interpreter gets the whole command and nothing is tried directly.
TEST_F(ShellLaunchWin32Test, WithoutCmd_TheOldInterpreterGetsTheWholeCommand) {
  installProgram("command.com");  // found in the current folder, as CreateProcessA looks there
  setCommandInterpreterForTesting(folder() + "\\missing\\cmd.exe");
  ASSERT_EQ(commandInterpreterAvailable(), 0);
  support::setEnvironmentVariable("FAKE_SLEEP_MS", "200");
  testing::SuspensionMonitor monitor;
  run("recorder a \"b c\"");
  monitor.stopNow();
  EXPECT_EQ(log(), "run command\narg [/c]\narg [recorder]\narg [a]\narg [b c]\ndone command\n");
  EXPECT_TRUE(monitor.sawSuspended);
}

TEST_F(ShellLaunchWin32Test, WithoutAnyInterpreter_NothingRunsAndNothingIsReported) {
  testing::ScriptedMessageBox box;
  setCommandInterpreterForTesting(folder() + "\\missing\\cmd.exe");
  run("recorder a");
  run("dir");
  EXPECT_EQ(log(), "");
  EXPECT_TRUE(box.shown.empty());
  EXPECT_EQ(pendingError.load(), 0u);
}

// ---- The system's own interpreter ---------------------------------------------------------------

TEST_F(ShellLaunchWin32Test, TheSystemInterpreter_RunsInternalCommandsAndTheFallback) {
  ASSERT_EQ(commandInterpreterAvailable(), 1) << "cmd.exe cannot be started";
  run("echo interpreted>>log");
  EXPECT_EQ(log(), "interpreted\r\n");
  clearLog();
  run("nosuchprogram-ferlang 2>NUL & echo fallback>>log");
  EXPECT_EQ(log(), "fallback\r\n");
  clearLog();
  run("recorder x");
  EXPECT_EQ(log(), "run recorder\narg [x]\n");
}

// ---- The empty command --------------------------------------------------------------------------

TEST_F(ShellLaunchWin32Test, EmptyCommand_RunsTheInterpreterInAConsoleAndWaits) {
  setCommandInterpreterForTesting(installProgram("interp.exe"));
  support::setEnvironmentVariable("FAKE_SLEEP_MS", "200");
  expectEmptyCommandWaitsWithTheDisplaySuspended("run interp\ndone interp\n");
}

// ---- The full-screen hand-over ------------------------------------------------------------------

TEST_F(ShellLaunchWin32Test, FullScreen_IsLeftForTheCommandAndRestoredAfter) {
  windowExists = true;
  windowState().fullScreenMode.store(2);
  testing::FakeWindowThread window;
  run("recorder");
  const std::vector<int32_t> requests = window.finish();
  EXPECT_EQ(requests, (std::vector<int32_t>{0, 2}));
  EXPECT_EQ(log(), "run recorder\n");
  windowExists = false;
  windowState().fullScreenMode.store(0);
}

// ---- The text editor ----------------------------------------------------------------------------

TEST_F(ShellLaunchWin32Test, OpenInTextEditor_StartsNotepadThroughStartAndReturnsAtOnce) {
  installProgram("notepad.exe");  // "start" finds it in the current folder first
  std::ofstream(folder() + "\\Ferlang.set") << "settings\n";
  // The stand-in editor runs for 4 s; the interpreter and "start" take well under that.
  support::setEnvironmentVariable("FAKE_SLEEP_MS", "4000");
  const auto started = Clock::now();
  EXPECT_TRUE(openInTextEditor(literalString("Ferlang.set")));
  EXPECT_LT(Clock::now() - started, 3000ms) << "the editor was waited for";
  EXPECT_TRUE(logEventuallyContains("done notepad"));
  EXPECT_EQ(log(), "run notepad\narg [Ferlang.set]\ndone notepad\n");
}

TEST_F(ShellLaunchWin32Test, OpenInTextEditor_PassesANameWithABlankAsOneFile) {
  installProgram("notepad.exe");
  EXPECT_TRUE(openInTextEditor(literalString("Ferlang Help.txt")));
  EXPECT_TRUE(logEventuallyContains("run notepad"));
  // start hands Notepad the rest of the line, which Notepad takes as one file name.
  EXPECT_TRUE(logEventuallyContains("arg [Help.txt]"));
  EXPECT_EQ(log(), "run notepad\narg [Ferlang]\narg [Help.txt]\n");
}

TEST_F(ShellLaunchWin32Test, OpenInTextEditor_FailsQuietlyForNoName) {
  testing::ScriptedMessageBox box;
  EXPECT_FALSE(openInTextEditor(literalString("")));
  EXPECT_FALSE(openInTextEditor(literalString(std::string_view("a\0b", 3))));
  pendingError = 53;
  EXPECT_FALSE(openInTextEditor(literalString("Ferlang.set")));
  EXPECT_TRUE(box.shown.empty());
  EXPECT_EQ(log(), "");
}

}  // namespace
}  // namespace rt
