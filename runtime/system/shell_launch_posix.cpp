// Shell launch on POSIX systems: programs started with posix_spawnp, documents and folders
// opened with xdg-open, "/bin/sh -c" as the interpreter, and the desktop's text editor through
// xdg-open.
#include <string>
#include <vector>

#include "runtime/core/errors.h"
#include "runtime/platform/native_file.h"
#include "runtime/platform/process_launch.h"
#include "runtime/system/shell_launch.h"
#include "runtime/system/shell_platform.h"

namespace rt {
namespace {

constexpr std::string_view kDefaultInterpreter = "/bin/sh";
std::string interpreter(kDefaultInterpreter);
int32_t interpreterCache = -1;  // -1 untested, 1 available, 0 not

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

}  // namespace

bool runCommand(std::string_view command) {
  const bool withInterpreter = commandInterpreterAvailable() == 1;
  if (isInternalCommand(command) == 0) {
    ChildProcess child = startAsFile(command);
    if (child.started()) {
      waitWithDisplaySuspended(child);
      return true;
    }
  }
  CommandSplit split = splitCommand(command);
  if (split.word.empty()) return false;  // a command that begins with a blank runs nothing
  if (!split.rest.empty() && isInternalCommand(split.word) == 0) {
    ChildProcess child = startAsProgram(split.word, split.rest);
    if (child.started()) {
      waitWithDisplaySuspended(child);
      return true;
    }
  }
  if (!withInterpreter) return false;
  // The interpreter gets the word, a blank and the rest: the command as it was given.
  ChildProcess child = startProgram({interpreter, "-c", std::string(command)});
  waitWithDisplaySuspended(child);
  return child.started();
}

void runInteractiveShell() {
  ChildProcess child;
  if (graphicalDisplayNamed()) child = startProgram({"x-terminal-emulator"});
  if (!child.started() && standardInputIsTerminal()) {
    child = startProgram({interpreter}, ChildTerminal::Interactive);
  }
  waitWithDisplaySuspended(child);
}

int32_t commandInterpreterAvailable() {
  if (interpreterCache != -1) return interpreterCache;
  ChildProcess child = startProgram({interpreter, "-c", ""});
  waitForProcess(child);
  interpreterCache = child.started() ? 1 : 0;
  return interpreterCache;
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
