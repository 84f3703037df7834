// Ending the process from any thread.
#pragma once

namespace rt {

// Flushes the C streams and ends the process at once with `status`, without running static
// destructors or atexit handlers: a plain exit() from a worker thread while the window
// system's loop runs on the main thread can crash in those handlers and change the status.
// Any thread; never returns.
[[noreturn]] void endProcess(int status);

}  // namespace rt
