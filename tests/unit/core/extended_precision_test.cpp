// Decimal text rounds once, to the x87's 64-bit significand, wherever the program runs: on
// x86-64 that is the C library's own reading, on 64-bit ARM the wider long double's reading
// rounded again. Each case is one where the two would differ if the second rounding were naive.
#include "runtime/core/extended_precision.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace rt {
namespace {

TEST(ExtendedPrecisionTest, DecimalTextRoundsOnceToTheExtendedSignificand) {
  const std::string beyondEveryFormat = std::string(60, '0') + "1";
  const struct {
    std::string text;
    long double expected;
  } cases[] = {
      // 2^64 + 1 and 2^64 + 3 are halfway: ties go to the even neighbour.
      {"18446744073709551617", 0x1p64L},
      {"18446744073709551619", 0x1p64L + 4},
      {"-18446744073709551617", -0x1p64L},
      // A digit far beyond the wide format's last bit still tips a halfway value upwards.
      {"18446744073709551617." + beyondEveryFormat, 0x1p64L + 2},
      {"-18446744073709551617." + beyondEveryFormat, -0x1p64L - 2},
      {"18446744073709551618.9", 0x1p64L + 2},
      // 0.1 is not exact in any format; its extended value is 0.1's, not the wide one's.
      {"1E-1", 0x1.999999999999999ap-4L},
      // The extended format's smallest denormal, 2^-16445 (about 3.6451E-4951), and values
      // around half of it: the wide format has denormals far smaller.
      {"3.6451E-4951", 0x1p-16445L},
      {"1.83E-4951", 0x1p-16445L},
      {"1.82E-4951", 0},
      {"5.5E-4951", 0x1p-16444L},
      // Past the largest extended value: infinity, as on the x87.
      {"1.2E4932", std::numeric_limits<long double>::infinity()},
      {"123456789", 123456789},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 30));
    EXPECT_EQ(decimalToExtended(c.text.c_str()), c.expected);
  }
}

TEST(ExtendedPrecisionTest, ValuesOfTheExtendedFormatAreKept) {
  const long double kept[] = {0,
                              -0.0L,
                              1,
                              0x1p64L + 2,
                              0x1.fffffffffffffffep0L,
                              -0x1p-16445L,
                              std::numeric_limits<long double>::infinity()};
  for (const long double value : kept) {
    EXPECT_EQ(toExtended(value), value);
    EXPECT_EQ(roundToExtendedSignificand(value), value);
  }
  EXPECT_TRUE(std::isnan(toExtended(std::numeric_limits<long double>::quiet_NaN())));
  EXPECT_TRUE(std::signbit(toExtended(-0.0L)));
}

}  // namespace
}  // namespace rt
