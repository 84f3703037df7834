// Windows only: starting programs and documents the way the desktop's shell does, and command
// lines exactly as written. Shell launch on Windows (runtime/system/shell_launch_win32.cpp)
// runs its order of tries with these; the POSIX build has no counterpart, its shell launch
// uses startProgram (process_launch.h) alone.
//
// A started process comes back as a ChildProcess (its id is the process handle), which
// waitForProcess waits for and closes. Texts are bytes in the system's ANSI code page and end
// at their first zero byte, as the system's ...A calls take them.
#pragma once

#include <string_view>

#include "runtime/platform/process_launch.h"

namespace rt {

// The outcome of ShellExecuteExA: whether the shell carried the request out, and the process
// to wait for. A request can succeed with no process to wait for, when the shell hands a
// document to a program that is already running.
struct ShellStart {
  bool succeeded = false;
  ChildProcess process;
};

// ShellExecuteExA with the default verb: `file` is a program (found on the shell's search
// path, ".exe" added), a document (opened by the program associated with its type) or a
// folder; `parameters` go to a program as its command line (none when empty). The window is
// shown (SW_SHOW); a failure shows no dialog (SEE_MASK_FLAG_NO_UI). Any thread; does not wait
// for the started program.
ShellStart shellExecute(std::string_view file, std::string_view parameters);

// What a program started by startCommandLine gets as its console.
enum class ChildConsole {
  None,  // no console window (CREATE_NO_WINDOW): for a quiet check
  New,   // a console of its own (CREATE_NEW_CONSOLE)
};

// CreateProcessA with no application name and `commandLine` as written: its first word names
// the program, found as CreateProcessA finds it. No handles are inherited. Any thread; does not
// wait. A child that has not started when nothing could be started.
ChildProcess startCommandLine(std::string_view commandLine, ChildConsole console);

// Gives the process a console window of its own (AllocConsole) when it has none, runs
// `command` there through the C library's system() and waits until it has ended, then lets the
// console go again (FreeConsole) when it was made here. Blocks for as long as the command runs.
void runInOwnConsole(std::string_view command);

}  // namespace rt
