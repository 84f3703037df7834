// The platform's half of shell launch: shell_launch.cpp owns what is the same everywhere
// (splitting, the internal-command list, the full-screen hand-over, the suspended display),
// and each platform's sibling (shell_launch_posix.cpp, shell_launch_win32.cpp) its order of
// tries, its interpreter and its text editor. Only those files include this header.
#pragma once

#include <string_view>

#include "runtime/platform/process_launch.h"

namespace rt {

// Waits for a started child (nothing for one that has not started) with displaySuspended set,
// so that RuntimeLoopThread builds no frames meanwhile. ProgramThread.
void waitWithDisplaySuspended(const ChildProcess& child);

// Runs `command` (not empty, no zero byte) by the platform's order of tries and waits for what
// it started. True when something was started. ProgramThread.
bool runCommand(std::string_view command);

// Runs an interactive interpreter and waits until the user leaves it; nothing where none can
// be shown. ProgramThread.
void runInteractiveShell();

// runShell's work on a given text: nothing while an error is pending; otherwise the
// full-screen window is made windowed, the text (bytes up to its first zero byte) runs as a
// command, or as an interactive interpreter when empty, and full screen comes back. True when
// a command started something.
bool runShellText(std::string_view text);

}  // namespace rt
