// The runtime's time base: a millisecond clock since process start, the sleeps every thread
// uses, and the wall-clock alignment that start-up performs.
#pragma once

#include <cstdint>

namespace rt {

// Milliseconds since the process started; monotonic. Any thread.
int64_t millisecondClock();

// Sleeps for `ms` milliseconds; 0 yields the processor once. Any thread; blocks.
void sleepMs(int32_t ms);

// Time base taken at start-up just after a wall-clock second boundary.
struct TimeBase {
  int64_t startCount = 0;        // millisecondClock() at the boundary
  int64_t startTimeOfDayMs = 0;  // local time of day at that boundary, 0 without a wall clock
};

// Busy-waits until the wall clock enters its next whole second and takes the time base there.
// Main thread, at start-up; blocks up to one second.
TimeBase alignToWallClockSecond();

// The time base that start-up recorded (zeros before start-up).
const TimeBase& timeBase();
void setTimeBase(const TimeBase& base);

// Ticks of the legacy time-of-day counter (18.2 a second) for a clock reading.
uint32_t timeOfDayTicks(const TimeBase& base, int64_t nowMs);

}  // namespace rt
