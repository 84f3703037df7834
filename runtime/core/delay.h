// Waiting on ProgramThread while staying stoppable.
#pragma once

namespace rt {

// Waits `seconds` in slices of at most 9 ms, running the statement checkpoint (line 0) after
// each slice, so that a close or pause takes effect within one slice. Negative values and
// values above 2147483.647 are error 5. ProgramThread; blocks.
void delaySeconds(double seconds);

}  // namespace rt
