#include "runtime/core/extended_precision.h"

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <cstdlib>

namespace rt {
namespace {

// The extended format's smallest denormal is 2^-16445: its normal numbers reach down to
// 2^-16382 with 63 bits after the leading one.
constexpr int kExtendedLowestBit = -16445;
// The same for long double itself (the quadruple format on 64-bit ARM).
constexpr int kWideLowestBit = LDBL_MIN_EXP - LDBL_MANT_DIG;

// The power of two of the last significand bit of `value` in a format with `bits` significand
// bits whose smallest denormal is 2^lowest.
int lastBitOf(long double value, int bits, int lowest) {
  int exponent = 0;
  std::frexp(value, &exponent);  // value = m * 2^exponent, 0.5 <= |m| < 1
  return std::max(exponent - bits, lowest);
}

bool lastBitIsOdd(long double value) {
  if (value == 0) return false;
  const long double units = std::ldexp(value, -lastBitOf(value, LDBL_MANT_DIG, kWideLowestBit));
  return std::fmod(units, 2.0L) != 0;
}

// strtold in the given rounding mode; the mode is put back after.
long double readInMode(const char* text, int mode) {
  const int saved = std::fegetround();
  std::fesetround(mode);
  const long double value = std::strtold(text, nullptr);
  std::fesetround(saved);
  return value;
}

}  // namespace

long double roundToExtendedSignificand(long double value) {
  if (!std::isfinite(value) || value == 0) return value;
  const int lastBit = lastBitOf(value, 64, kExtendedLowestBit);
  // Scaled to a whole number of last bits (below 2^64, exact), rounded ties to even, scaled back.
  return std::ldexp(std::nearbyint(std::ldexp(value, -lastBit)), lastBit);
}

long double decimalToExtended(const char* text) {
  if constexpr (kLongDoubleIsExtended) {
    return std::strtold(text, nullptr);
  } else {
    // Rounding to nearest twice can land on a halfway point the exact value is not on. Rounding
    // to odd first cannot: the wide format keeps more than two bits beyond the extended one, and
    // an odd last bit stands for "something beyond it".
    const long double below = readInMode(text, FE_DOWNWARD);
    const long double above = readInMode(text, FE_UPWARD);
    const long double toOdd = below == above || lastBitIsOdd(below) ? below : above;
    return roundToExtendedSignificand(toOdd);
  }
}

}  // namespace rt
