// Shell launch, the parts that read the same on every platform: the internal-command list,
// splitting a command, the full-screen hand-over and the wait with the display suspended. The
// order of tries, the interpreter and the text editor are each platform's own
// (shell_launch_posix.cpp, shell_launch_win32.cpp).
#include "runtime/system/shell_launch.h"

#include <array>
#include <atomic>

#include "runtime/core/clock.h"
#include "runtime/core/errors.h"
#include "runtime/core/shared_flags.h"
#include "runtime/display/window.h"
#include "runtime/display/window_state.h"
#include "runtime/system/shell_platform.h"

namespace rt {
namespace {

// The internal commands of the original platform's command interpreter: they name no program
// file, so only the interpreter can run them.
constexpr std::array<std::string_view, 46> kInternalCommands{
    "ASSOC",  "BREAK", "BCDBOOT", "BCDEDIT", "CALL",     "CD",       "CHDIR", "CLS",
    "COLOR",  "COPY",  "DATE",    "DEFRAG",  "DEL",      "DIR",      "ECHO",  "ENDLOCAL",
    "ERASE",  "FOR",   "FTYPE",   "GOTO",    "GRAFTABL", "IF",       "MD",    "MKDIR",
    "MKLINK", "MOVE",  "PATH",    "PAUSE",   "POPD",     "PROMPT",   "PUSHD", "RD",
    "REM",    "REN",   "RENAME",  "RMDIR",   "SET",      "SETLOCAL", "SHIFT", "START",
    "TIME",   "TITLE", "TYPE",    "VER",     "VERIFY",   "VOL",
};

// How long the program thread waits for the window thread to apply a full-screen change.
// The window thread applies it at the redraw that the request wakes it for; it cannot when its
// window is not being drawn (minimised, say), and then the command runs anyway.
constexpr int32_t kFullScreenWaitMs = 2000;

// The window thread writes fullScreenMode; this thread only reads it, atomically.
int32_t currentFullScreenMode() {
  return windowState().fullScreenMode.load(std::memory_order_relaxed);
}

void waitForFullScreenMode(bool windowed) {
  for (int32_t waited = 0; waited < kFullScreenWaitMs; ++waited) {
    if ((currentFullScreenMode() == 0) == windowed) return;
    sleepMs(1);
  }
}

// Makes a full-screen window windowed so that what the command shows is not hidden behind it;
// returns the mode to restore afterwards (0 when the window was not in full screen).
int32_t leaveFullScreen() {
  if (!windowExists.load(std::memory_order_acquire)) return 0;
  int32_t saved = currentFullScreenMode();
  if (saved != 0) {
    fullScreenRequest.store(0, std::memory_order_relaxed);
    wakePresenter();
    waitForFullScreenMode(true);
  }
  return saved;
}

void restoreFullScreen(int32_t saved) {
  if (saved == 0) return;
  fullScreenRequest.store(saved, std::memory_order_relaxed);
  wakePresenter();
  waitForFullScreenMode(false);
}

}  // namespace

void waitWithDisplaySuspended(const ChildProcess& child) {
  if (!child.started()) return;
  displaySuspended.store(DisplaySuspension::CommandStarted, std::memory_order_release);
  waitForProcess(child);
  displaySuspended.store(DisplaySuspension::None, std::memory_order_release);
}

int32_t isInternalCommand(std::string_view text) {
  if (text.size() > 8) return 0;  // longer than every internal command
  std::string upper(text);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  }
  for (std::string_view word : kInternalCommands) {
    if (upper == word) return 1;
  }
  return 0;
}

CommandSplit splitCommand(std::string_view command) {
  bool inQuotes = false;
  for (size_t i = 0; i < command.size(); ++i) {
    if (command[i] == '"') {
      inQuotes = !inQuotes;
    } else if (command[i] == ' ' && !inQuotes) {
      return {command.substr(0, i), command.substr(i + 1)};
    }
  }
  return {command, {}};
}

std::vector<std::string> splitParameters(std::string_view parameters) {
  std::vector<std::string> arguments;
  std::string current;
  bool inQuotes = false, inArgument = false;
  for (char c : parameters) {
    if (c == '"') {
      inQuotes = !inQuotes;
      inArgument = true;
    } else if (c == ' ' && !inQuotes) {
      if (inArgument) arguments.push_back(std::move(current));
      current.clear();
      inArgument = false;
    } else {
      current.push_back(c);
      inArgument = true;
    }
  }
  if (inArgument) arguments.push_back(std::move(current));
  return arguments;
}

bool runShellText(std::string_view text) {
  if (errorIsPending()) return false;
  // The operating system takes the text up to its first zero byte, as the original did.
  text = text.substr(0, text.find('\0'));
  const int32_t savedFullScreen = leaveFullScreen();
  bool started = false;
  if (text.empty()) {
    runInteractiveShell();
  } else {
    started = runCommand(text);
  }
  restoreFullScreen(savedFullScreen);
  return started;
}

void runShell(const RtString& command, bool given) {
  runShellText(given ? command.view() : std::string_view());
}

}  // namespace rt
