// Parking ProgramThread: where it ends when the program stops or the process exits.
#pragma once

namespace rt {

// Marks ProgramThread as finished (ProgramParked in threadsFinished), waits until exit is in
// progress and then sleeps for ever; RuntimeLoopThread ends the process. ProgramThread; never
// returns.
[[noreturn]] void parkProgramThread();

}  // namespace rt
