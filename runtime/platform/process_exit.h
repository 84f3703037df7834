// Ending the process from any thread.
#pragma once

#include <string_view>

namespace rt {

// Flushes the C streams and ends the process at once with `status`, without running static
// destructors or atexit handlers: a plain exit() from a worker thread while the window
// system's loop runs on the main thread can crash in those handlers and change the status.
// Any thread; never returns.
[[noreturn]] void endProcess(int status);

// Writes one line, the program's name and `message`, to standard error and ends the process
// with status 1 through endProcess: the way out when the runtime cannot start or the window
// library meets an error it cannot go on from. Any thread; never returns.
[[noreturn]] void endProcessWithError(std::string_view message);

}  // namespace rt
