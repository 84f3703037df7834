#include "runtime/core/rounding.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <limits>

namespace rt {
namespace {

constexpr int64_t kMin64 = std::numeric_limits<int64_t>::min();
constexpr int32_t kMin32 = std::numeric_limits<int32_t>::min();

TEST(RoundToInteger, ExtendedTiesGoToTheEvenNeighbour) {
  struct Case {
    long double x;
    int64_t expected;
  } cases[] = {
      {0.5L, 0},          {1.5L, 2},          {2.5L, 2},           {-2.5L, -2},
      {-0.5L, 0},         {-1.5L, -2},        {3.5L, 4},           {2.5000001L, 3},
      {2.4999999L, 2},    {-2.5000001L, -3},  {0.49999999999999999L, 0},
      {1e18L + 0.5L, 1000000000000000000},  // the 64-bit mantissa still holds the half
      {3600.0L * 12 + 60.0L * 30 + 59.5L, 45060},
      {3600.0L * 12 + 60.0L * 30 + 58.5L, 45058},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(roundToInteger(c.x), c.expected) << static_cast<double>(c.x);
  }
}

TEST(RoundToInteger, ExtendedKeepsFullSixtyFourBitRange) {
  EXPECT_EQ(roundToInteger(9223372036854775807.0L - 1024.0L), 9223372036854774783);
  EXPECT_EQ(roundToInteger(-9223372036854775808.0L), kMin64);
  EXPECT_EQ(roundToInteger(static_cast<long double>(INT64_MAX)), INT64_MAX);
}

TEST(RoundToInteger, ExtendedOutOfRangeAndNanGiveTheIndefiniteValue) {
  const long double values[] = {9223372036854775808.0L, -9223372036854777856.0L, 1e30L, -1e30L,
                                std::numeric_limits<long double>::infinity(),
                                std::numeric_limits<long double>::quiet_NaN()};
  std::feclearexcept(FE_ALL_EXCEPT);
  for (long double x : values) EXPECT_EQ(roundToInteger(x), kMin64) << static_cast<double>(x);
  // The range test comes first, so no invalid-operation exception is raised on the way.
  EXPECT_FALSE(std::fetestexcept(FE_INVALID));
}

TEST(RoundToInteger, DoubleAndSingleRoundToThirtyTwoBits) {
  struct Case {
    double x;
    int32_t expected;
  } cases[] = {
      {0.5, 0},         {1.5, 2},           {2.5, 2},          {-2.5, -2},
      {2.5000001, 3},   {-0.4, 0},          {2147483647.0, 2147483647},
      {2147483647.4, 2147483647},           {-2147483648.0, kMin32},
      {-2147483648.5, kMin32},  // ties to even stays in range
      {2147483647.5, kMin32},   // rounds to 2^31: out of range
      {1e10, kMin32},           {std::nan(""), kMin32},
  };
  std::feclearexcept(FE_ALL_EXCEPT);
  for (const Case& c : cases) EXPECT_EQ(roundToInteger(c.x), c.expected) << c.x;
  EXPECT_FALSE(std::fetestexcept(FE_INVALID));
  EXPECT_EQ(roundToInteger(2.5f), 2);
  EXPECT_EQ(roundToInteger(3.5f), 4);
  EXPECT_EQ(roundToInteger(-1.5f), -2);
  EXPECT_EQ(roundToInteger(3e9f), kMin32);
}

// Values on both sides of the fast path's limits (2^62 for extended values, 2^31 - 1 for
// doubles) round alike, ties to even.
TEST(RoundToInteger, SameRuleOnBothSidesOfTheFastPathLimits) {
  const struct {
    long double x;
    int64_t expected;
  } extended[] = {
      {4611686018427387903.5L, 4611686018427387904},  // just below 2^62: ties to even
      {4611686018427387904.0L, 4611686018427387904},
      {4611686018427387905.0L, 4611686018427387905},
      {-4611686018427387904.5L, -4611686018427387904},
      {-4611686018427387905.5L, -4611686018427387906},
      {6917529027641081855.5L, 6917529027641081856},
  };
  for (const auto& c : extended) EXPECT_EQ(roundToInteger(c.x), c.expected) << static_cast<double>(c.x);
  const struct {
    double x;
    int32_t expected;
  } doubles[] = {
      {2147483646.5, 2147483646}, {2147483646.6, 2147483647}, {2147483646.9999998, 2147483647},
      {-2147483646.5, -2147483646}, {-2147483647.5, kMin32},  // -2^31, the even neighbour
      {-2147483647.0, -2147483647},
  };
  for (const auto& c : doubles) EXPECT_EQ(roundToInteger(c.x), c.expected) << c.x;
}

// Rounding follows the current rounding mode on every path.
TEST(RoundToInteger, FollowsTheCurrentRoundingMode) {
  const int saved = std::fegetround();
  ASSERT_EQ(std::fesetround(FE_DOWNWARD), 0);
  const int64_t down[] = {roundToInteger(2.7L), roundToInteger(-2.2L), roundToInteger(1e19L * 0.5L + 0.5L)};
  const int32_t downDouble[] = {roundToInteger(2.7), roundToInteger(-2.2)};
  std::fesetround(saved);
  EXPECT_EQ(down[0], 2);
  EXPECT_EQ(down[1], -3);
  EXPECT_EQ(down[2], 5000000000000000000);
  EXPECT_EQ(downDouble[0], 2);
  EXPECT_EQ(downDouble[1], -3);
}

}  // namespace
}  // namespace rt
