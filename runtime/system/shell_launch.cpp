#include "runtime/system/shell_launch.h"

#include <array>
#include <atomic>

#include "runtime/core/clock.h"
#include "runtime/core/errors.h"
#include "runtime/core/shared_flags.h"
#include "runtime/display/window_state.h"
#include "runtime/platform/native_file.h"
#include "runtime/platform/process_launch.h"

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

constexpr std::string_view kDefaultInterpreter = "/bin/sh";
std::string interpreter(kDefaultInterpreter);
int32_t interpreterCache = -1;  // -1 untested, 1 available, 0 not

// How long the program thread waits for the window thread to apply a full-screen change.
// The window thread applies it at its next redraw (every 16 ms); it cannot when its window is
// not being drawn (minimised, say), and then the command runs anyway.
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
    waitForFullScreenMode(true);
  }
  return saved;
}

void restoreFullScreen(int32_t saved) {
  if (saved == 0) return;
  fullScreenRequest.store(saved, std::memory_order_relaxed);
  waitForFullScreenMode(false);
}

// Waits for a started child; RuntimeLoopThread builds no frames meanwhile.
void waitWithDisplaySuspended(const ChildProcess& child) {
  if (!child.started()) return;
  displaySuspended.store(DisplaySuspension::CommandStarted, std::memory_order_release);
  waitForProcess(child);
  displaySuspended.store(DisplaySuspension::None, std::memory_order_release);
}

// A file name as xdg-open's argument: a name that begins with "-" would be taken as an option.
std::string documentArgument(std::string_view name) {
  std::string argument = !name.empty() && name.front() == '-' ? "./" : "";
  argument.append(name);
  return argument;
}

// Try 1: the whole command as a program with no arguments, else as a document or folder.
ChildProcess startAsFile(std::string_view command) {
  ChildProcess child = startProgram({std::string(command)});
  if (child.started()) return child;
  std::string name = existingFileName(command);
  if (pathKind(name) != PathKind::Other) return {};
  return startProgram({"xdg-open", documentArgument(name)});
}

// Try 2: the first word (quotes removed) as a program, the rest as its arguments.
ChildProcess startAsProgram(std::string_view word, std::string_view rest) {
  std::vector<std::string> argv{""};
  for (char c : word) {
    if (c != '"') argv[0].push_back(c);
  }
  for (std::string& argument : splitParameters(rest)) argv.push_back(std::move(argument));
  return startProgram(argv);
}

void runCommand(std::string_view command) {
  const bool withInterpreter = commandInterpreterAvailable() == 1;
  if (isInternalCommand(command) == 0) {
    ChildProcess child = startAsFile(command);
    if (child.started()) {
      waitWithDisplaySuspended(child);
      return;
    }
  }
  CommandSplit split = splitCommand(command);
  if (split.word.empty()) return;  // a command that begins with a blank runs nothing
  if (!split.rest.empty() && isInternalCommand(split.word) == 0) {
    ChildProcess child = startAsProgram(split.word, split.rest);
    if (child.started()) {
      waitWithDisplaySuspended(child);
      return;
    }
  }
  if (!withInterpreter) return;
  // The interpreter gets the word, a blank and the rest: the command as it was given.
  waitWithDisplaySuspended(startProgram({interpreter, "-c", std::string(command)}));
}

void runInteractiveShell() {
  ChildProcess child;
  if (graphicalDisplayNamed()) child = startProgram({"x-terminal-emulator"});
  if (!child.started() && standardInputIsTerminal()) {
    child = startProgram({interpreter}, ChildTerminal::Interactive);
  }
  waitWithDisplaySuspended(child);
}

}  // namespace

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

int32_t commandInterpreterAvailable() {
  if (interpreterCache != -1) return interpreterCache;
  ChildProcess child = startProgram({interpreter, "-c", ""});
  waitForProcess(child);
  interpreterCache = child.started() ? 1 : 0;
  return interpreterCache;
}

void runShell(const RtString& command, bool given) {
  if (errorIsPending()) return;
  std::string_view text = given ? command.view() : std::string_view();
  // The operating system takes the text up to its first zero byte, as the original did.
  text = text.substr(0, text.find('\0'));
  const int32_t savedFullScreen = leaveFullScreen();
  if (text.empty()) {
    runInteractiveShell();
  } else {
    runCommand(text);
  }
  restoreFullScreen(savedFullScreen);
}

bool openInTextEditor(const RtString& fileName) {
  if (errorIsPending()) return false;
  std::string_view name = fileName.view();
  if (name.empty() || name.find('\0') != std::string_view::npos) return false;
  return startDetached({"xdg-open", documentArgument(existingFileName(name))});
}

void setCommandInterpreterForTesting(std::string_view path) {
  interpreter = path.empty() ? std::string(kDefaultInterpreter) : std::string(path);
  interpreterCache = -1;
}

}  // namespace rt
