// The runtime's worker threads other than ProgramThread.
#pragma once

namespace rt {

// RuntimeLoopThread: about every 32 ms keeps the tick count, builds a frame and keeps the lock
// keys in step; leaves its loop at once on a close or stop request and ends the process
// (exitProcessInOrder). Never returns.
[[noreturn]] void runtimeLoopThread();

// TimerEventThread: checks timed events (none are registered in this system) and reports a
// floating-point fault of another thread until exit begins, then reports that it has
// finished.
void timerEventThread();

// The exit sequence: tells ProgramThread to park, waits until it and TimerEventThread have
// finished, closes all files and ends the process with status 0. RuntimeLoopThread.
[[noreturn]] void exitProcessInOrder();

}  // namespace rt
