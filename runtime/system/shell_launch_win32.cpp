// Shell launch on Windows, in the original platform's order of tries: the whole command through
// the shell (ShellExecuteExA), then its first word with the rest as parameters, then the
// command interpreter "cmd" with " /c" and the command; where "cmd.exe" cannot be started, the
// old interpreter "command.com" in a console of its own gets the whole command instead. The
// text editor is Notepad, started by the interpreter's "start", which returns at once.
#include <atomic>
#include <string>

#include "runtime/core/shared_flags.h"
#include "runtime/platform/shell_execute.h"
#include "runtime/system/shell_launch.h"
#include "runtime/system/shell_platform.h"

namespace rt {
namespace {

constexpr std::string_view kDefaultInterpreter = "cmd";
constexpr std::string_view kOldInterpreter = "command.com";
std::string interpreter(kDefaultInterpreter);
int32_t interpreterCache = -1;  // -1 untested, 1 available, 0 not

// The interpreter as the first word of a command line: "cmd.exe" for the system's own, a
// replacement (tests) in double quotes.
std::string interpreterProgram() {
  if (interpreter == kDefaultInterpreter) return "cmd.exe";
  return "\"" + interpreter + "\"";
}

// Waits for what the shell started; true when the shell carried the request out, also when it
// gave no process to wait for.
bool waitForShellStart(const ShellStart& start) {
  if (start.succeeded) waitWithDisplaySuspended(start.process);
  return start.succeeded;
}

}  // namespace

bool runCommand(std::string_view command) {
  if (commandInterpreterAvailable() != 1) {
    ChildProcess child =
        startCommandLine(std::string(kOldInterpreter) + " /c " + std::string(command),
                         ChildConsole::New);
    waitWithDisplaySuspended(child);
    return child.started();
  }
  // Try 1: the whole command as a program, document or folder, with no parameters.
  if (isInternalCommand(command) == 0 && waitForShellStart(shellExecute(command, {}))) {
    return true;
  }
  CommandSplit split = splitCommand(command);
  if (split.word.empty()) return false;  // a command that begins with a blank runs nothing
  // Try 2: the first word as the program, the rest as its parameters, both as written.
  if (!split.rest.empty() && isInternalCommand(split.word) == 0 &&
      waitForShellStart(shellExecute(split.word, split.rest))) {
    return true;
  }
  // Try 3: the interpreter, with the word and the rest as they were given.
  std::string parameters = " /c ";
  parameters.append(split.word);
  if (!split.rest.empty()) {
    parameters += ' ';
    parameters.append(split.rest);
  }
  return waitForShellStart(shellExecute(interpreter, parameters));
}

void runInteractiveShell() {
  displaySuspended.store(DisplaySuspension::CommandStarted, std::memory_order_release);
  runInOwnConsole(interpreter);
  displaySuspended.store(DisplaySuspension::None, std::memory_order_release);
}

int32_t commandInterpreterAvailable() {
  if (interpreterCache != -1) return interpreterCache;
  ChildProcess child = startCommandLine(interpreterProgram() + " /c ver", ChildConsole::None);
  waitForProcess(child);
  interpreterCache = child.started() ? 1 : 0;
  return interpreterCache;
}

bool openInTextEditor(const RtString& fileName) {
  std::string_view name = fileName.view();
  if (name.empty() || name.find('\0') != std::string_view::npos) return false;
  // The interpreter's "start" launches Notepad and ends at once, so this returns at once and
  // the editor runs on its own.
  return runShellText("CMD /C start notepad " + std::string(name));
}

void setCommandInterpreterForTesting(std::string_view path) {
  interpreter = path.empty() ? std::string(kDefaultInterpreter) : std::string(path);
  interpreterCache = -1;
}

}  // namespace rt
