// ferlang.exe typed in a console, the way Windows starts a GUI program from cmd.exe: with no
// standard handles, but with the console of the process that started it. --help, --version and
// the refusals must reach that console with their exit statuses kept; started from no console
// at all (the desktop) the program ends the same way and writes nowhere; with its output
// redirected to a file the text goes to the file and not to the console.
//
// The console belongs to console_host.exe, started here with a console that has no window, so
// the test needs no display. The host types the command line and reads its screen back. Each
// case runs twice: once with ferlang.exe as a plain child of the console, which Wine attaches to
// that console itself, and once detached from it, so that the program must attach to its
// parent's console as it must on Windows.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "tests/e2e-windows/windows_command_line.h"
#include "tests/support/temp_folder.h"

namespace {

constexpr DWORD kHostTimeoutMs = 60000;

std::wstring wide(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int size = static_cast<int>(utf8.size());
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  std::wstring text(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, text.data(), length);
  return text;
}

std::string narrow(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr,
                                         nullptr);
  std::string utf8(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), size, utf8.data(), length, nullptr, nullptr);
  return utf8;
}

std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Whether `text` survives the ANSI code page, as a command-line argument must to reach main().
bool fitsAnsiCodePage(const std::wstring& text) {
  BOOL lossy = FALSE;
  WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                      &lossy);
  return !lossy;
}

enum class Starter {
  Console,    // a console without a window: cmd.exe or PowerShell
  NoConsole,  // no console at all: the desktop
};

// How the host starts ferlang.exe (console_host.cpp's START).
constexpr const wchar_t* kStarts[] = {L"shared", L"detached"};

struct HostRun {
  int status = -1;       // ferlang's exit status
  bool console = false;  // whether the host had a console
  std::string screen;    // the console's text (UTF-8)
  std::string error;     // the host's own failure, if any
};

class ConsoleTest : public ::testing::Test {
 protected:
  // ferlang.exe with `arguments`, started by the host. `output`: a file for ferlang's standard
  // output and error, or empty for no standard handles.
  HostRun run(Starter starter, const std::vector<std::wstring>& arguments,
              const std::wstring& prompt = L"", const std::string& output = "",
              const std::wstring& start = L"shared") {
    const std::string resultPath = folder.file("result.txt");
    std::filesystem::remove(resultPath);
    std::vector<std::wstring> hostLine{wide(CONSOLE_HOST_EXE), wide(resultPath), prompt,
                                       wide(output), start, wide(FERLANG_EXE)};
    hostLine.insert(hostLine.end(), arguments.begin(), arguments.end());
    std::wstring commandLine = e2e::windowsCommandLine(hostLine);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    const DWORD flags = starter == Starter::Console ? CREATE_NO_WINDOW : DETACHED_PROCESS;
    HostRun result;
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, flags, nullptr,
                        nullptr, &startup, &process)) {
      result.error = "cannot start the host";
      return result;
    }
    CloseHandle(process.hThread);
    const bool ended = WaitForSingleObject(process.hProcess, kHostTimeoutMs) == WAIT_OBJECT_0;
    if (!ended) TerminateProcess(process.hProcess, 99);
    CloseHandle(process.hProcess);
    if (!ended) {
      result.error = "the host did not end";
      return result;
    }
    const std::string text = readAll(resultPath);
    const size_t statusEnd = text.find('\n');
    const size_t consoleEnd = text.find('\n', statusEnd + 1);
    if (text.rfind("status ", 0) != 0 || consoleEnd == std::string::npos) {
      result.error = text.empty() ? "no result" : text;
      return result;
    }
    result.status = std::stoi(text.substr(7, statusEnd - 7));
    result.console = text.compare(statusEnd + 1, consoleEnd - statusEnd, "console yes\n") == 0;
    result.screen = text.substr(consoleEnd + 1);
    return result;
  }

  support::TempFolder folder{"ferlang-console-"};
};

TEST_F(ConsoleTest, AnswersReachTheParentConsoleWithTheirStatus) {
  const std::wstring missingFolder = L"Z:\\nowhere-ferlang-\u00e9t\u00e9";
  const struct {
    const char* name;
    std::vector<std::wstring> arguments;
    std::wstring prompt;
    std::wstring screen;
    int status;
  } cases[] = {
      {"help", {L"--help"}, L"", wide(app::usageText()), 0},
      {"short help", {L"-h"}, L"", wide(app::usageText()), 0},
      {"version", {L"--version"}, L"", wide(app::versionText()), 0},
      {"unknown option", {L"--bogus"}, L"",
       L"ferlang: unknown option \"--bogus\" (ferlang --help lists the options)\n", 2},
      {"value missing", {L"--snapshot"}, L"", L"ferlang: --snapshot needs a value\n", 2},
      // The folder's name comes back through the ANSI code page into the console's characters.
      {"missing folder", {L"--folder", missingFolder}, L"",
       L"ferlang: the folder \"" + missingFolder + L"\" does not exist\n", 2},
      // cmd.exe's prompt is back before a GUI program writes: the text starts on a line of its
      // own.
      {"after a prompt", {L"--version"}, L"C:\\Users\\ham>",
       L"C:\\Users\\ham>\n" + wide(app::versionText()), 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (!fitsAnsiCodePage(c.screen)) {
      std::printf("%s: not run, the ANSI code page %u cannot carry its text\n", c.name, GetACP());
      continue;
    }
    for (const wchar_t* start : kStarts) {
      SCOPED_TRACE(narrow(start));
      const HostRun result = run(Starter::Console, c.arguments, c.prompt, "", start);
      ASSERT_EQ(result.error, "");
      ASSERT_TRUE(result.console) << "the host has no console to read";
      EXPECT_EQ(result.status, c.status);
      EXPECT_EQ(wide(result.screen), c.screen);
    }
  }
}

TEST_F(ConsoleTest, WithoutAParentConsoleTheStatusIsKept) {
  const struct {
    const wchar_t* argument;
    int status;
  } cases[] = {{L"--help", 0}, {L"--version", 0}, {L"--bogus", 2}};
  for (const auto& c : cases) {
    SCOPED_TRACE(narrow(c.argument));
    for (const wchar_t* start : kStarts) {
      SCOPED_TRACE(narrow(start));
      const HostRun result = run(Starter::NoConsole, {c.argument}, L"", "", start);
      ASSERT_EQ(result.error, "");
      EXPECT_FALSE(result.console) << "the host was meant to have no console";
      EXPECT_EQ(result.status, c.status);
    }
  }
}

TEST_F(ConsoleTest, RedirectedOutputGoesToItsFileAndNotToTheConsole) {
  const struct {
    const wchar_t* argument;
    std::string text;
    int status;
  } cases[] = {
      {L"--help", app::usageText(), 0},
      {L"--version", app::versionText(), 0},
      {L"--bogus", "ferlang: unknown option \"--bogus\" (ferlang --help lists the options)\n", 2},
  };
  const std::string outputPath = folder.file("output.txt");
  for (const auto& c : cases) {
    SCOPED_TRACE(narrow(c.argument));
    const HostRun result = run(Starter::Console, {c.argument}, L"", outputPath);
    ASSERT_EQ(result.error, "");
    ASSERT_TRUE(result.console) << "the host has no console to read";
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(result.screen, "") << "the text went to the console as well";
    // The C runtime writes its text-mode stream with CR LF line ends.
    std::string output = readAll(outputPath);
    output.erase(std::remove(output.begin(), output.end(), '\r'), output.end());
    EXPECT_EQ(output, c.text);
  }
}

}  // namespace
