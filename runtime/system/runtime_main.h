// Process start-up: the runtime owns the process and runs the application on its own thread.
//
// runtimeMain first checks that the display can be opened (without one it writes one line to
// standard error and ends the process with status 1, before any thread starts), then prepares
// the runtime, makes the program's folder the current directory, aligns the clock to a
// wall-clock second, creates the text screen, starts ProgramThread (which runs `mainProgram`),
// TimerEventThread and RuntimeLoopThread in that order, and then creates the window and hands
// the main thread (DisplayThread) to the window loop for good. The process ends through
// RuntimeLoopThread's exit sequence with status 0.
#pragma once

namespace rt {

using MainProgram = void (*)();

// Main thread, from main(); never returns. `mainProgram` must end with endProgram().
[[noreturn]] void runtimeMain(int argc, char** argv, MainProgram mainProgram);

}  // namespace rt
