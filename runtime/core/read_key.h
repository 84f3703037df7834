// readKey: the application's keyboard read.
#pragma once

#include "runtime/core/rt_string.h"

namespace rt {

// The oldest waiting key as a temporary string: empty when none is waiting (or an error is
// pending), one byte for an ordinary key, two bytes (0, scan code) for an extended key. Yields
// the processor on every call so that a polling loop leaves the other threads room. Never
// blocks. ProgramThread; the string is a temporary of the current statement.
RtString* readKey();

}  // namespace rt
