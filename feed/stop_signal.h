// Ending the feed cleanly: Ctrl+C and SIGTERM (on Windows Ctrl+C, Ctrl+Break and the console
// closing) set one flag, which the polling loop reads between polls; the feed then writes what
// it holds, prints its counts and ends with status 0.
//
// The flag is the process's one piece of shared state, a lock-free atomic so that a signal
// handler (POSIX) or the console's control thread (Windows) may set it.
// stop_signal_posix.cpp and stop_signal_win32.cpp install the handlers.
#pragma once

namespace feed {

// Installs the handlers. Main thread, once, before the polling starts.
void installStopHandlers();

// True once a stop was asked for. Any thread.
bool stopRequested();

// Asks for a stop, as the handlers do. Any thread; safe in a signal handler.
void requestStop();

// Sleeps about `delayMs`, returning early once a stop is asked for. Blocks the caller.
void sleepUnlessStopped(int delayMs);

}  // namespace feed
