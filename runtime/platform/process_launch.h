// Starting other programs: the runtime's only door to the operating system's process calls.
//
// Shell launch (runtime/system/shell_launch.h) decides what to start; this layer starts it with
// an explicit argument list, never through a command interpreter, so that names and arguments
// reach the started program byte for byte. A started child is either waited for
// (waitForProcess) or left to run on its own (startDetached), in which case it is reaped in the
// background and never lingers as a zombie. Names are bytes; a zero byte cannot be passed and
// makes the start fail.
//
// On Windows (process_launch_win32.cpp) a child's id is its process handle, the argument list
// becomes one command line quoted as the C runtime reads it back, and a program is found as
// CreateProcessA finds the first word of a command line (the executable's folder, the current
// folder, the system folders, then PATH; ".exe" added). Shell launch on Windows also uses the
// shell's own ways of starting things (shell_execute.h).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rt {

// How a started child shares the process's terminal.
enum class ChildTerminal {
  Inherit,      // the child inherits the standard streams; nothing else changes
  Interactive,  // an interactive program on the process's own terminal: while it is waited
                // for, keyboard interrupts (Ctrl+C, Ctrl+\) reach only the child
};

// A started child process; `id` is 0 when nothing was started.
struct ChildProcess {
  int64_t id = 0;
  ChildTerminal terminal = ChildTerminal::Inherit;
  bool started() const { return id > 0; }
};

// Starts the program `argv[0]` with the arguments `argv` (argv[0] included). A name with a
// slash is used as the path (relative to the current directory); a name without one is looked
// up on PATH. The child inherits the environment, the current directory and the standard
// streams. Any thread; does not wait for the child. Returns a child that has not started when
// the program cannot be started (missing, not executable, not a program).
ChildProcess startProgram(const std::vector<std::string>& argv,
                          ChildTerminal terminal = ChildTerminal::Inherit);

// Waits until the child has ended and reaps it; the exit status is not read. Does nothing for
// a child that has not started. Blocks the calling thread for as long as the child runs.
void waitForProcess(const ChildProcess& child);

// Starts the program like startProgram and returns at once; the child is reaped in the
// background when it ends. False when it cannot be started. Any thread.
bool startDetached(const std::vector<std::string>& argv);

// What a path names, as far as starting it goes.
enum class PathKind {
  Missing,     // nothing there (or no access to find out)
  Executable,  // a regular file the process may execute (on Windows an .exe or .com file)
  Other,       // anything else: a document, a folder, a device
};
PathKind pathKind(std::string_view path);

// The path of the program `name` (no slash) as PATH finds it, or empty when there is none.
// A name with a slash is returned unchanged when it names an executable file.
std::string findProgram(std::string_view name);

// True when a graphical display is named in the environment (DISPLAY or WAYLAND_DISPLAY);
// always true on Windows, where a program runs on a desktop.
bool graphicalDisplayNamed();

// True when the process's standard input is a terminal.
bool standardInputIsTerminal();

}  // namespace rt
