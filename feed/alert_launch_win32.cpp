// Alert programs on Windows: CreateProcessA with a quoted command line; the handles are closed
// at once, as nothing waits for the program.
#include <windows.h>

#include "feed/alert_launch.h"

namespace feed {
namespace {

// Windows starts a batch file through CMD, which would read its arguments as commands again
// ('&', '|', '<', '>', '%'): an alert command must be a program.
bool isBatchFile(const std::string& name) {
  if (name.size() < 4) return false;
  std::string extension = name.substr(name.size() - 4);
  for (char& c : extension) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  return extension == ".bat" || extension == ".cmd";
}

}  // namespace

bool AlertLauncher::start(const std::vector<std::string>& argv, std::string& error) {
  if (argv.empty() || argv[0].empty()) {
    error = "no program named";
    return false;
  }
  if (isBatchFile(argv[0])) {
    error = "a batch file would run through CMD; name a program";
    return false;
  }
  for (const std::string& argument : argv) {
    if (argument.find('\0') != std::string::npos) {
      error = "an argument holds a zero byte";
      return false;
    }
  }
  std::string commandLine = windowsCommandLine(argv);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  // No application name: the program is found as the first word of a command line is (the
  // feed's folder, the current folder, the system folders, then PATH; ".exe" added). A
  // command line never goes through CMD.
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    error = "cannot start " + argv[0] + " (system error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

void AlertLauncher::reapFinished() {}

void AlertLauncher::soundBell() { MessageBeep(MB_ICONEXCLAMATION); }

}  // namespace feed
