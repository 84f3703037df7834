// Waiting on ProgramThread while staying stoppable.
#pragma once

namespace rt {

// Waits `seconds` in one sleep that a checkpoint request (pause, close) cuts short; the
// statement checkpoint (line 0) then runs, so that a close or pause takes effect at once, and
// the wait goes on for the rest of the time. Negative values and
// values above 2147483.647 are error 5. ProgramThread; blocks.
void delaySeconds(double seconds);

}  // namespace rt
