// Text for the command line on Windows. ferlang.exe is a GUI-subsystem program: Windows gives
// it standard handles only when its starter passes them (a redirection to a file or a pipe, or
// Wine's own start from a Linux shell), and those keep the C streams as they were. Typed in a
// console it gets none, and the C streams write nowhere; the text then goes to the parent's
// console through the console's own output handle (CONOUT$). Reopening stdout on CONOUT$ with
// the C runtime is no way round: it fails where the program had no standard handle at start.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "runtime/platform/console_output.h"

namespace rt {
namespace {

// Whether `handle` leads somewhere: a file, a pipe or a console. A GUI program started from a
// console has none (null); a stale value is refused by GetFileType.
bool isUsable(HANDLE handle) {
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return false;
  SetLastError(NO_ERROR);
  return GetFileType(handle) != FILE_TYPE_UNKNOWN || GetLastError() == NO_ERROR;
}

// `text` from the ANSI code page (as argv and the messages built from it come) to UTF-16, so
// that the console shows it right whatever its own code page; every line ends in CR LF, which
// reads right in every console mode (a bare LF only moves down a row when the console does not
// add the return itself). With `freshLine`, a line break comes first.
std::wstring consoleText(std::string_view text, bool freshLine) {
  std::wstring wide;
  if (!text.empty()) {
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    wide.resize(static_cast<size_t>(length));
    MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), length);
  }
  std::wstring lines = freshLine ? L"\r\n" : L"";
  for (size_t i = 0; i < wide.size(); ++i) {
    if (wide[i] == L'\n' && (i == 0 || wide[i - 1] != L'\r')) lines += L'\r';
    lines += wide[i];
  }
  return lines;
}

// Writes `text` to the console that the process is attached to, if it is.
void writeToConsole(std::string_view text) {
  HANDLE console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                               nullptr);
  if (console == INVALID_HANDLE_VALUE) return;
  // cmd.exe and PowerShell do not wait for a GUI program: their prompt is usually back, with the
  // cursor after it, by the time this runs.
  CONSOLE_SCREEN_BUFFER_INFO screen = {};
  const bool afterPrompt =
      GetConsoleScreenBufferInfo(console, &screen) != 0 && screen.dwCursorPosition.X != 0;
  const std::wstring lines = consoleText(text, afterPrompt);
  // In pieces: older consoles refuse a single write of more than about 64 KiB.
  constexpr size_t kMostPerWrite = 8192;
  bool written = true;
  for (size_t done = 0; done < lines.size() && written;) {
    DWORD count = 0;
    const size_t piece = std::min(lines.size() - done, kMostPerWrite);
    written = WriteConsoleW(console, lines.data() + done, static_cast<DWORD>(piece), &count,
                            nullptr) != 0 &&
              count > 0;
    done += count;
  }
  CloseHandle(console);
}

// The parent's console, when there is one: attached for the write and left again, so that the
// process keeps no tie to a console it was not given. A process already attached to one (the
// system refuses the attachment with ERROR_ACCESS_DENIED) writes to that.
void writeToParentConsole(std::string_view text) {
  const bool attachedHere = AttachConsole(ATTACH_PARENT_PROCESS) != 0;
  if (!attachedHere && GetLastError() != ERROR_ACCESS_DENIED) return;  // started from no console
  writeToConsole(text);
  if (attachedHere) FreeConsole();
}

}  // namespace

void writeStandardText(StandardStream stream, std::string_view text) {
  const bool output = stream == StandardStream::Output;
  if (isUsable(GetStdHandle(output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE))) {
    std::fwrite(text.data(), 1, text.size(), output ? stdout : stderr);
    return;
  }
  writeToParentConsole(text);
}

}  // namespace rt
