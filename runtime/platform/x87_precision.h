// The precision of the x87 floating-point unit on the calling thread.
//
// The application's arithmetic is done in long double, the x87's 80-bit format with a 64-bit
// mantissa, and its results depend on the unit's precision control being set to 64 bits.
// Linux starts every thread that way. Windows x64 starts threads with the precision control at
// 53 bits (control word 0x027F), which would round every long double result to a double's
// mantissa; the thread that does the arithmetic sets the precision itself when it starts.
#pragma once

namespace rt {

// Sets the x87 precision control of the calling thread to a 64-bit mantissa, leaving the
// rounding mode and the exception masks as they are. Affects only the calling thread; call it
// first thing on a thread that evaluates the application's arithmetic. Does nothing where
// threads already start with that precision.
void useExtendedPrecision();

}  // namespace rt
