// The shell's way of starting things on Windows: ShellExecuteExA, CreateProcessA with a
// command line as written, and system() in a console of the process's own.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <cstdlib>
#include <string>

#include "runtime/platform/shell_execute.h"

namespace rt {
namespace {

ChildProcess childOf(HANDLE process) {
  if (process == nullptr) return {};
  return {static_cast<int64_t>(reinterpret_cast<intptr_t>(process)), ChildTerminal::Inherit};
}

std::string upToZero(std::string_view text) {
  return std::string(text.substr(0, text.find('\0')));
}

// ShellExecuteExA may hand a document to a shell extension, which needs COM on the calling
// thread; each thread initialises it once, as a single-threaded apartment, and keeps it.
void initialiseComOnce() {
  thread_local bool initialised = false;
  if (initialised) return;
  initialised = true;
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
}

}  // namespace

ShellStart shellExecute(std::string_view file, std::string_view parameters) {
  initialiseComOnce();
  const std::string fileText = upToZero(file);
  const std::string parameterText = upToZero(parameters);
  SHELLEXECUTEINFOA request{};
  request.cbSize = sizeof request;
  request.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  request.lpFile = fileText.c_str();
  request.lpParameters = parameterText.empty() ? nullptr : parameterText.c_str();
  request.nShow = SW_SHOW;
  if (!ShellExecuteExA(&request)) return {};
  return {true, childOf(request.hProcess)};
}

ChildProcess startCommandLine(std::string_view commandLine, ChildConsole console) {
  std::string line = upToZero(commandLine);
  if (line.empty()) return {};
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  const DWORD flags = console == ChildConsole::None ? CREATE_NO_WINDOW : CREATE_NEW_CONSOLE;
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, flags, nullptr, nullptr,
                      &startup, &process)) {
    return {};
  }
  CloseHandle(process.hThread);
  return childOf(process.hProcess);
}

void runInOwnConsole(std::string_view command) {
  // A process started from a console already has one, which it keeps: freeing it would cut
  // the process off from its standard streams.
  const bool allocated = AllocConsole() != 0;
  const std::string text = upToZero(command);
  std::system(text.c_str());
  if (allocated) FreeConsole();
}

}  // namespace rt
