// Sleeping until another thread sets a shared flag.
//
// A thread that only waits for a flag would otherwise poll it in short sleeps, and every
// wake-up of an idle thread costs CPU time. Here the waiter sleeps up to its longest wait and
// the writer cuts the sleep short: it stores its flag first and then calls wakeFlagWaiters.
// The flags themselves stay the plain atomics they are; this only adds the wake-up.
#pragma once

#include <cstdint>

namespace rt {

// Wakes every thread sleeping in sleepUntilFlag, which then tests its flags again. Call it after
// the store that sets a flag. Any thread; not from a signal handler.
void wakeFlagWaiters();

// Sleeps until `isSet()` returns true or `ms` milliseconds have passed, and returns isSet()'s
// last answer. A flag set (and followed by wakeFlagWaiters) before or during the call ends the
// sleep at once. Any thread.
bool sleepUntilFlag(int32_t ms, bool (*isSet)());

}  // namespace rt
