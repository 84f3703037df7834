// Ending the process on Windows: TerminateProcess, which like _exit on POSIX runs no static
// destructors, atexit handlers or DLL detach code, so a worker thread can end the process while
// DisplayThread is inside the window system.
#include <windows.h>

#include <cstdio>
#include <string>

#include "runtime/platform/process_exit.h"

namespace rt {
namespace {

// The executable's file name without its folder, such as "ferlang.exe".
std::string programName() {
  char path[MAX_PATH + 1] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string name(path, length);
  const size_t separator = name.find_last_of("\\/");
  if (separator != std::string::npos) name.erase(0, separator + 1);
  return name.empty() ? std::string("ferlang") : name;
}

}  // namespace

void endProcess(int status) {
  std::fflush(nullptr);
  TerminateProcess(GetCurrentProcess(), static_cast<UINT>(status));
  // TerminateProcess on the calling process does not return; should it fail, the process
  // still ends here, with DLL detach code run.
  ExitProcess(static_cast<UINT>(status));
}

void endProcessWithError(std::string_view message) {
  // One WriteFile for the whole line, so another thread's output cannot split it. A program
  // started without a console has no standard error, and then the line goes nowhere.
  std::string line = programName();
  line += ": ";
  line += message;
  line += '\n';
  std::fflush(nullptr);
  HANDLE standardError = GetStdHandle(STD_ERROR_HANDLE);
  if (standardError != nullptr && standardError != INVALID_HANDLE_VALUE) {
    const char* rest = line.data();
    size_t left = line.size();
    while (left > 0) {
      DWORD written = 0;
      if (!WriteFile(standardError, rest, static_cast<DWORD>(left), &written, nullptr) ||
          written == 0) {
        break;
      }
      rest += written;
      left -= written;
    }
  }
  endProcess(1);
}

}  // namespace rt
