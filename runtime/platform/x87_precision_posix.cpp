// x87 precision on Linux: the x86-64 System V ABI starts every thread with the precision
// control at a 64-bit mantissa (control word 0x037F), and nothing in the runtime changes it.
#include "runtime/platform/x87_precision.h"

namespace rt {

void useExtendedPrecision() {}

}  // namespace rt
