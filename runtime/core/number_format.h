// formatNumber: a number as the text that printing and string building use.
//
// Every result starts with a sign position: a blank for zero and positive values, '-' for
// negative ones (300 -> " 300", -1 -> "-1"). Integers are written in full. Single floats show up
// to 7 significant digits and double floats up to 16, without trailing zeros and without a
// leading "0" before the point (0.5 -> " .5"); values too large or too small for that width in
// fixed notation use scientific notation with the exponent letter E (single) or D (double):
// 12345678 -> " 1.234568E+07", 1E+20 -> " 1D+20". Infinities and NaN come out as " INF",
// "-INF" and " NAN".
//
// Each result is a new temporary, released with the rest of the statement's temporaries.
// ProgramThread; while an error is pending the result is an empty temporary.
#pragma once

#include <cstdint>

#include "runtime/core/rt_string.h"

namespace rt {

RtString* formatNumber(int8_t value);
RtString* formatNumber(int16_t value);
RtString* formatNumber(int32_t value);
RtString* formatNumber(int64_t value);
RtString* formatNumber(uint8_t value);
RtString* formatNumber(uint16_t value);
RtString* formatNumber(uint32_t value);
RtString* formatNumber(uint64_t value);
RtString* formatNumber(float value);
RtString* formatNumber(double value);

}  // namespace rt
