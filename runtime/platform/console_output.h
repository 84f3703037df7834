// Text for the person at a command line: a program's usage, its version and its refusals.
//
// On Linux this is plain standard output and standard error. On Windows a program of the GUI
// subsystem that is typed in a console (cmd.exe, PowerShell) starts with no standard handles at
// all, so what it writes to stdout or stderr goes nowhere; its text then goes to the console of
// the process that started it, when there is one. Started from the desktop there is none, and
// the text goes nowhere as before: no console is ever created, so no window flashes up.
#pragma once

#include <string_view>

namespace rt {

enum class StandardStream {
  Output,  // stdout: what was asked for (usage, version)
  Error,   // stderr: refusals and errors
};

// Writes `text` (lines ending in '\n', bytes in the system's ANSI code page on Windows) to
// `stream`. When the stream has a handle (a file, a pipe, a console), the bytes go through the C
// stream exactly as std::fputs writes them. Otherwise, on Windows, the text goes to the parent's
// console, with each line ended by CR LF and begun on a fresh line after a shell's prompt.
// Main thread; blocks until the text is written (or buffered in the C stream).
void writeStandardText(StandardStream stream, std::string_view text);

}  // namespace rt
