// Starting other programs on Windows: CreateProcessA with a command line built from the
// argument list, WaitForSingleObject, and CloseHandle for children that are not waited for.
//
// A child's id is its process handle. Windows has no zombies: a child that is not waited for
// needs only its handle closed.
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <mutex>

#include "runtime/platform/process_launch.h"

namespace rt {
namespace {

// While an interactive child runs on the process's console, this process ignores Ctrl+C, as
// the C library's system() does on POSIX, so that Ctrl+C ends the child and not this process.
std::mutex interruptsMutex;
int interruptsIgnored = 0;

void ignoreInterrupts() {
  std::lock_guard<std::mutex> lock(interruptsMutex);
  if (interruptsIgnored++ == 0) SetConsoleCtrlHandler(nullptr, TRUE);
}

void restoreInterrupts() {
  std::lock_guard<std::mutex> lock(interruptsMutex);
  if (--interruptsIgnored == 0) SetConsoleCtrlHandler(nullptr, FALSE);
}

bool hasZeroByte(std::string_view text) { return text.find('\0') != std::string_view::npos; }

bool hasFolderPart(std::string_view name) {
  return name.find_first_of("\\/:") != std::string_view::npos;
}

// One argument as the C runtime's command-line parser reads it back: plain text as it is;
// otherwise in double quotes, with a backslash before each quote and the backslashes that
// precede a quote (or the closing quote) doubled.
void appendQuoted(std::string& line, const std::string& argument) {
  if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string::npos) {
    line += argument;
    return;
  }
  line += '"';
  size_t backslashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    if (c == '"') {
      line.append(backslashes * 2 + 1, '\\');
    } else {
      line.append(backslashes, '\\');
    }
    backslashes = 0;
    line += c;
  }
  line.append(backslashes * 2, '\\');
  line += '"';
}

}  // namespace

ChildProcess startProgram(const std::vector<std::string>& argv, ChildTerminal terminal) {
  if (argv.empty() || argv[0].empty()) return {};
  std::string commandLine;
  for (const std::string& argument : argv) {
    if (hasZeroByte(argument)) return {};
    if (!commandLine.empty()) commandLine += ' ';
    appendQuoted(commandLine, argument);
  }
  // The program is found as CreateProcessA finds the first word of a command line: the
  // executable's own folder, the current folder, the system folders, then PATH, with ".exe"
  // added to a name without an extension.
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (terminal == ChildTerminal::Interactive) ignoreInterrupts();
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    if (terminal == ChildTerminal::Interactive) restoreInterrupts();
    return {};
  }
  CloseHandle(process.hThread);
  return {static_cast<int64_t>(reinterpret_cast<intptr_t>(process.hProcess)), terminal};
}

void waitForProcess(const ChildProcess& child) {
  if (!child.started()) return;
  HANDLE process = reinterpret_cast<HANDLE>(static_cast<intptr_t>(child.id));
  WaitForSingleObject(process, INFINITE);
  CloseHandle(process);
  if (child.terminal == ChildTerminal::Interactive) restoreInterrupts();
}

bool startDetached(const std::vector<std::string>& argv) {
  ChildProcess child = startProgram(argv);
  if (!child.started()) return false;
  CloseHandle(reinterpret_cast<HANDLE>(static_cast<intptr_t>(child.id)));
  return true;
}

PathKind pathKind(std::string_view path) {
  if (path.empty() || hasZeroByte(path)) return PathKind::Missing;
  const std::string name(path);
  const DWORD attributes = GetFileAttributesA(name.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::Missing;
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return PathKind::Other;
  // A program is a file that CreateProcessA starts by itself: an .exe or a .com file.
  const size_t dot = name.find_last_of('.');
  if (dot == std::string::npos || name.find_first_of("\\/", dot) != std::string::npos) {
    return PathKind::Other;
  }
  std::string extension = name.substr(dot);
  for (char& c : extension) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  return extension == ".exe" || extension == ".com" ? PathKind::Executable : PathKind::Other;
}

std::string findProgram(std::string_view name) {
  if (name.empty() || hasZeroByte(name)) return {};
  if (hasFolderPart(name)) {
    return pathKind(name) == PathKind::Executable ? std::string(name) : std::string();
  }
  // SearchPathA's default order: the executable's folder, the current folder, the system
  // folders, then PATH.
  const std::string file(name);
  char found[MAX_PATH + 1] = {};
  const DWORD length = SearchPathA(nullptr, file.c_str(), ".exe", MAX_PATH, found, nullptr);
  if (length == 0 || length > MAX_PATH) return {};
  std::string path(found, length);
  return pathKind(path) == PathKind::Executable ? path : std::string();
}

// A Windows program always runs on a desktop.
bool graphicalDisplayNamed() { return true; }

bool standardInputIsTerminal() { return _isatty(_fileno(stdin)) != 0; }

}  // namespace rt
