// The end of the application's main program.
#pragma once

namespace rt {

// Called when the application's main program has run to its end: shows "Press any key to
// continue" on the last text row, waits for a fresh key and asks RuntimeLoopThread to exit.
// ProgramThread; never returns.
[[noreturn]] void endProgram();

}  // namespace rt
