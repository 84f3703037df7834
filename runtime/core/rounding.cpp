#include "runtime/core/rounding.h"

#include <cmath>
#include <limits>

namespace rt {

// rint/rintl round in the current mode (ties to even by default) and stay exact in the source
// format; the range test comes before the integer conversion, so an out-of-range value never
// reaches a conversion that would raise the invalid-operation exception. NaN is tested with the
// quiet classification first: an ordered comparison with NaN would raise that exception too.
//
// Values well inside the target's range (nearly all of them: pixel coordinates, times, dB)
// take a fast path first: lrint/llrint round in the current mode and convert in one step, where
// rint followed by a truncating conversion is a library call (built with errno) or, for
// extended values, switches the x87 control word twice. The result is the same. Built without
// errno (see CMakeLists.txt), the slow paths' rint is inline too.

namespace {

constexpr double kFastLimit32 = 2147483647.0;  // |x| below it rounds to a 32-bit value
constexpr long double kFastLimit64 = 4611686018427387904.0L;  // 2^62

}  // namespace

int32_t roundToInteger(double x) {
  if (!std::isnan(x) && std::fabs(x) < kFastLimit32) return static_cast<int32_t>(std::lrint(x));
  const double r = std::rint(x);
  constexpr double kTwoTo31 = 2147483648.0;
  if (std::isnan(r) || !(r >= -kTwoTo31 && r < kTwoTo31))
    return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(r);
}

int32_t roundToInteger(float x) { return roundToInteger(static_cast<double>(x)); }

int64_t roundToInteger(long double x) {
  if (!std::isnan(x) && std::fabs(x) < kFastLimit64) return std::llrint(x);
  const long double r = std::rint(x);
  constexpr long double kTwoTo63 = 9223372036854775808.0L;
  if (std::isnan(r) || !(r >= -kTwoTo63 && r < kTwoTo63)) {
    return std::numeric_limits<int64_t>::min();
  }
  return static_cast<int64_t>(r);
}

}  // namespace rt
