// Shell launch: running a command line and waiting until it has ended, and opening a file in
// the desktop's text editor without waiting. shell_launch.cpp holds what every platform shares;
// the order of tries, the interpreter and the editor are each platform's own
// (shell_launch_posix.cpp, shell_launch_win32.cpp).
//
// runShell tries, in order, until one of them starts something:
//   1. the whole command as a file: a program started with no arguments, or an existing
//      document or folder opened with the program for its type;
//   2. when the command has more than one word, its first word as a program and the rest as
//      its arguments;
//   3. the command interpreter with the command.
// On POSIX systems try 1 finds a program on PATH (or a path with a slash) and opens documents
// and folders with xdg-open, try 2 splits the rest at blanks outside double quotes (quotes
// removed) into arguments, and the interpreter is "/bin/sh -c". On Windows tries 1 and 2 go
// through the shell (ShellExecuteExA, the rest passed as written) and the interpreter is "cmd"
// with " /c"; where "cmd.exe" cannot be started, "command.com /c" with the whole command
// replaces all three. Words of the original platform's interpreter (isInternalCommand, such as
// "DIR" or "SET") skip the first two tries. Whatever was started is waited for with
// displaySuspended set, so that RuntimeLoopThread builds no frames meanwhile; a full-screen
// window is made windowed for the duration. A command that starts nothing is not reported.
//
// The command is a command line and may reach the interpreter as it stands: never build one
// from a file name or from text read from a file. On POSIX systems openInTextEditor and the
// platform's startProgram take names as single arguments and never pass them through an
// interpreter; on Windows openInTextEditor runs the command "CMD /C start notepad " with the
// name, so it takes only names the application chose.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/core/rt_string.h"

namespace rt {

// Runs `command` (bytes up to its first zero byte) and waits until what it started has ended.
// With no command given, or an empty one: an interactive shell, waited for, in a new terminal
// window (x-terminal-emulator) when a display is named, else on the process's own terminal
// when it has one, otherwise nothing; on Windows the interpreter in a console window. Does
// nothing while an error is pending; raises none. ProgramThread; blocks for as long as the
// started program runs.
void runShell(const RtString& command, bool given);

// 1 when the command interpreter can be started, else 0; tested once (by running it with an
// empty command; on Windows "cmd.exe /c ver" with no window) and cached. ProgramThread.
int32_t commandInterpreterAvailable();

// 1 when `text`, with the letters a to z upper-cased, is one of the original platform's 46
// internal interpreter commands, else 0. Any thread.
int32_t isInternalCommand(std::string_view text);

// A command split at its first blank outside double quotes: `word` before it, `rest` after it
// (both views into the command). Without such a blank, word is the whole command.
struct CommandSplit {
  std::string_view word;
  std::string_view rest;
};
CommandSplit splitCommand(std::string_view command);

// The arguments in `parameters`: split at blanks outside double quotes, the quotes removed; a
// pair of quotes with nothing between them is an empty argument. Any thread.
std::vector<std::string> splitParameters(std::string_view parameters);

// Asks the desktop to open `fileName` in its editor for the file's type (xdg-open) and returns
// at once; the editor runs on its own and the chart keeps refreshing. A name that does not
// exist as written reaches the one file whose name differs only in letter case. The name is
// passed as a single argument, never through an interpreter. False when nothing could be
// started (or an error is pending); nothing is reported. Any thread; does not block.
// On Windows: runShell with "CMD /C start notepad " and the name; the interpreter's "start"
// launches Notepad and ends at once, so this returns once the interpreter has ended (a fraction
// of a second) with Notepad still open. ProgramThread there, as runShell.
bool openInTextEditor(const RtString& fileName);

// Replaces the command interpreter ("/bin/sh", on Windows "cmd", when `path` is empty) and
// forgets the cached availability. Tests only.
void setCommandInterpreterForTesting(std::string_view path);

}  // namespace rt
