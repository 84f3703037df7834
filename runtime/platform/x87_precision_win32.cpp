// x87 precision on Windows: the control word is read with fnstcw and written with fldcw.
// _controlfp cannot be used: on x64 it refuses to change the precision control.
#include <cstdint>

#include "runtime/platform/x87_precision.h"

namespace rt {

void useExtendedPrecision() {
  // Bits 8 and 9 of the control word are the precision control: 11 is a 64-bit mantissa.
  constexpr uint16_t kPrecisionControl = 0x0300;
  uint16_t control = 0;
  asm volatile("fnstcw %0" : "=m"(control));
  control = static_cast<uint16_t>(control | kPrecisionControl);
  asm volatile("fldcw %0" : : "m"(control));
}

}  // namespace rt
