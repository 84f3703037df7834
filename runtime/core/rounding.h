// roundToInteger: how a computed floating-point value becomes an integer.
//
// Every member rounds to nearest with ties to the even neighbour (0.5 -> 0, 1.5 -> 2, 2.5 -> 2,
// -2.5 -> -2), the floating-point unit's default mode on the program thread. A value whose
// rounded result does not fit the target, and NaN, give the target's integer-indefinite value
// (its most negative number), which is what the hardware conversion stores; no floating-point
// exception is raised for it. Any thread; never blocks.
#pragma once

#include <cstdint>

namespace rt {

// Single float -> signed 32-bit.
int32_t roundToInteger(float x);
// Double float -> signed 32-bit.
int32_t roundToInteger(double x);
// Extended float -> signed 64-bit; the application keeps the low 32 bits for its variables.
int64_t roundToInteger(long double x);

}  // namespace rt
