// A console for console_wine_test.cpp to type ferlang.exe in, as a person types it in cmd.exe.
//
//   console_host RESULT PROMPT OUTPUT START PROGRAM [ARGUMENT...]
//
// Clears its console, writes PROMPT there (a stand-in for a shell's prompt; may be empty), then
// starts PROGRAM with its ARGUMENTs and waits for it. With OUTPUT empty the program gets no
// standard handles, as Windows starts a GUI program from a console: nothing is inherited and no
// STARTF_USESTDHANDLES; with a file name, its standard output and error go to that file, as a
// shell's redirection passes them. START says how the program meets the console:
//   shared     a plain child, which Wine attaches to its parent's console from the start
//   detached   DETACHED_PROCESS: no console until the program attaches to its parent's, as
//              Windows starts a GUI program
// Then it writes to the file RESULT, in UTF-8:
//   status N             the program's exit status
//   console yes|no       whether the host had a console of its own
//   the screen's text    its rows from the top to the last that is not blank, each without
//                        trailing blanks and ended by '\n'
// or a line "error ..." when something failed before that. Exit status 0 when RESULT is written.
//
// The test starts the host with a console that has no window (CREATE_NO_WINDOW), which works
// with no display, or with none at all (DETACHED_PROCESS).
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "tests/e2e-windows/windows_command_line.h"

namespace {

// Wider than every line of ferlang's usage, so that no line wraps onto a second row.
constexpr SHORT kColumns = 120;
constexpr SHORT kRows = 200;
constexpr DWORD kProgramTimeoutMs = 30000;

std::string utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int length =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), size, bytes.data(), length, nullptr, nullptr);
  return bytes;
}

int report(const std::wstring& path, const std::string& text) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  const bool ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written,
                            nullptr) != 0 && written == text.size();
  CloseHandle(file);
  return ok ? 0 : 1;
}

// The console's rows up to the last that is not blank.
std::wstring screenText(HANDLE console) {
  CONSOLE_SCREEN_BUFFER_INFO screen = {};
  if (!GetConsoleScreenBufferInfo(console, &screen)) return L"(screen unreadable)\n";
  std::wstring text, blankRows;
  std::vector<wchar_t> row(static_cast<size_t>(screen.dwSize.X));
  for (SHORT y = 0; y < screen.dwSize.Y; ++y) {
    DWORD read = 0;
    if (!ReadConsoleOutputCharacterW(console, row.data(), static_cast<DWORD>(row.size()),
                                     COORD{0, y}, &read)) {
      return L"(row unreadable)\n";
    }
    std::wstring line(row.data(), read);
    line.erase(line.find_last_not_of(L' ') + 1);
    if (line.empty()) {
      blankRows += L'\n';
    } else {
      text += blankRows + line + L'\n';
      blankRows.clear();
    }
  }
  return text;
}

// A blank screen of kColumns x kRows with the cursor at the top left.
bool clearScreen(HANDLE console) {
  if (!SetConsoleScreenBufferSize(console, COORD{kColumns, kRows})) return false;
  DWORD filled = 0;
  return FillConsoleOutputCharacterW(console, L' ', DWORD{kColumns} * kRows, COORD{0, 0},
                                     &filled) != 0 &&
         SetConsoleCursorPosition(console, COORD{0, 0}) != 0;
}

}  // namespace

int main() {
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (arguments == nullptr || count < 6) return 2;
  const std::wstring resultPath = arguments[1], prompt = arguments[2], outputPath = arguments[3];
  const std::wstring start = arguments[4];
  if (start != L"shared" && start != L"detached") return report(resultPath, "error START\n");
  const std::wstring commandLine = e2e::windowsCommandLine(
      std::vector<std::wstring>(arguments + 5, arguments + count));

  HANDLE console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                               nullptr);
  const bool hasConsole = console != INVALID_HANDLE_VALUE;
  if (hasConsole) {
    if (!clearScreen(console)) return report(resultPath, "error cannot clear the console\n");
    DWORD written = 0;
    if (!prompt.empty() &&
        !WriteConsoleW(console, prompt.data(), static_cast<DWORD>(prompt.size()), &written,
                       nullptr)) {
      return report(resultPath, "error cannot write the prompt\n");
    }
  }

  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  HANDLE output = INVALID_HANDLE_VALUE;
  if (!outputPath.empty()) {
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    output = CreateFileW(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         &inheritable, CREATE_ALWAYS, 0, nullptr);
    if (output == INVALID_HANDLE_VALUE) return report(resultPath, "error cannot make OUTPUT\n");
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output;
    startup.hStdError = output;
  } else {
    // Windows gives a GUI program none of its starter's standard handles; Wine hands the
    // starter's on unless it has none.
    SetStdHandle(STD_INPUT_HANDLE, nullptr);
    SetStdHandle(STD_OUTPUT_HANDLE, nullptr);
    SetStdHandle(STD_ERROR_HANDLE, nullptr);
  }
  PROCESS_INFORMATION process = {};
  std::wstring mutableLine = commandLine;
  const DWORD flags = start == L"detached" ? DETACHED_PROCESS : 0;
  if (!CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, !outputPath.empty(), flags,
                      nullptr, nullptr, &startup, &process)) {
    return report(resultPath, "error cannot start the program\n");
  }
  if (output != INVALID_HANDLE_VALUE) CloseHandle(output);
  CloseHandle(process.hThread);
  if (WaitForSingleObject(process.hProcess, kProgramTimeoutMs) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 99);
    CloseHandle(process.hProcess);
    return report(resultPath, "error the program did not end\n");
  }
  DWORD status = 0;
  GetExitCodeProcess(process.hProcess, &status);
  CloseHandle(process.hProcess);

  std::string result = "status " + std::to_string(status) + "\n";
  result += hasConsole ? "console yes\n" : "console no\n";
  if (hasConsole) result += utf8(screenText(console));
  return report(resultPath, result);
}
