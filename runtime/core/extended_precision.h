// The application's arithmetic is the x87's extended format: a 64-bit significand, each result
// rounded to nearest with ties to even. On x86-64 Linux (and on Windows once the program thread
// has set its precision) long double is that format and these functions cost nothing. Where
// long double is wider (64-bit ARM: IEEE quadruple, a 113-bit significand) they round to a
// 64-bit significand, so that every result, and every pixel drawn from it, is the same as on
// x86-64.
//
// toExtended rounds once more after the wide operation. That gives the x87 result whenever the
// wide result is exact, or lies off the points halfway between two extended values; a call site
// says why its operation is one of those. Decimal text is converted with one correct rounding.
// Any thread; uses the rounding mode only for the duration of a call.
#pragma once

#include <cfloat>

namespace rt {

static_assert(LDBL_MANT_DIG >= 64, "long double must hold the x87's 64-bit significand");

inline constexpr bool kLongDoubleIsExtended = LDBL_MANT_DIG == 64;

// `value` rounded to the extended format's significand (its smallest denormal included).
long double roundToExtendedSignificand(long double value);

inline long double toExtended(long double value) {
  if constexpr (kLongDoubleIsExtended) {
    return value;
  } else {
    return roundToExtendedSignificand(value);
  }
}

// Decimal text as strtold reads it ("-123E-4"), rounded once, to the extended format.
long double decimalToExtended(const char* text);

}  // namespace rt
