// The end of the application's main program and the parking of ProgramThread.
#pragma once

namespace rt {

// Called when the application's main program has run to its end: shows "Press any key to
// continue" on the last text row, waits for a fresh key and asks RuntimeLoopThread to exit.
// ProgramThread; never returns.
[[noreturn]] void endProgram();

// Marks ProgramThread as finished (bit 0 of threadsFinished), waits until exit is in progress
// and then sleeps for ever; RuntimeLoopThread ends the process. ProgramThread; never returns.
[[noreturn]] void parkProgramThread();

}  // namespace rt
