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

#include <string>

namespace rt {

using MainProgram = void (*)();

// Main thread, from main(); never returns. `mainProgram` must end with endProgram(). `folder`,
// when given, becomes the current directory instead of the program's own folder.
[[noreturn]] void runtimeMain(int argc, char** argv, MainProgram mainProgram,
                              const std::string& folder = {});

// runtimeMain for a caller that has already found the display reachable (displayProblem was
// empty) and chose the window on that ground: the display is not asked a second time, as a
// second answer could differ.
[[noreturn]] void runtimeMainOnDisplay(int argc, char** argv, MainProgram mainProgram,
                                       const std::string& folder = {});

// Makes `folder` the current directory, or the program's own folder when `folder` is empty;
// ends the process with status 1 and one line on standard error when it cannot. Start-up.
void enterWorkingFolder(const std::string& folder);

// Prepares the runtime for a program without starting any thread or window: memory, strings,
// the clock and the screen (default palettes and the 80 x 25 text screen, opaque text recorded
// per cell). Start-up, once.
void prepareRuntime();

}  // namespace rt
