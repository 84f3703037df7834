#include "runtime/core/rounding.h"

#include <cmath>
#include <limits>

namespace rt {

// rint/rintl round in the current mode (ties to even by default) and stay exact in the source
// format; the range test comes before the integer conversion, so an out-of-range value never
// reaches a conversion that would raise the invalid-operation exception. NaN is tested with the
// quiet classification first: an ordered comparison with NaN would raise that exception too.

int32_t roundToInteger(double x) {
  const double r = std::rint(x);
  constexpr double kTwoTo31 = 2147483648.0;
  if (std::isnan(r) || !(r >= -kTwoTo31 && r < kTwoTo31))
    return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(r);
}

int32_t roundToInteger(float x) { return roundToInteger(static_cast<double>(x)); }

int64_t roundToInteger(long double x) {
  const long double r = std::rint(x);
  constexpr long double kTwoTo63 = 9223372036854775808.0L;
  if (std::isnan(r) || !(r >= -kTwoTo63 && r < kTwoTo63)) {
    return std::numeric_limits<int64_t>::min();
  }
  return static_cast<int64_t>(r);
}

}  // namespace rt
