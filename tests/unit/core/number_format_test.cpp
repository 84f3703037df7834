#include "runtime/core/number_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "runtime/core/errors.h"
#include "runtime/core/string_engine.h"

namespace rt {
namespace {

class NumberFormatTest : public ::testing::Test {
 protected:
  void SetUp() override {
    pendingError = 0;
    initStringEngine();
  }
  void TearDown() override {
    EXPECT_EQ(checkStringEngineInvariants(), "");
    pendingError = 0;
  }
  // The text of a result, after checking that it is a temporary as every result must be.
  static std::string text(RtString* s) {
    EXPECT_TRUE(s->temporary);
    return std::string(s->view());
  }
};

TEST_F(NumberFormatTest, Integers_CarryABlankOrMinusSignPosition) {
  EXPECT_EQ(text(formatNumber(int8_t{-128})), "-128");
  EXPECT_EQ(text(formatNumber(int8_t{5})), " 5");
  EXPECT_EQ(text(formatNumber(int8_t{127})), " 127");
  EXPECT_EQ(text(formatNumber(int16_t{300})), " 300");
  EXPECT_EQ(text(formatNumber(int16_t{-32768})), "-32768");
  EXPECT_EQ(text(formatNumber(int16_t{0})), " 0");
  EXPECT_EQ(text(formatNumber(int16_t{-1})), "-1");
  EXPECT_EQ(text(formatNumber(int16_t{32767})), " 32767");
  EXPECT_EQ(text(formatNumber(int32_t{INT32_MIN})), "-2147483648");
  EXPECT_EQ(text(formatNumber(int32_t{INT32_MAX})), " 2147483647");
  EXPECT_EQ(text(formatNumber(int64_t{INT64_MIN})), "-9223372036854775808");
  EXPECT_EQ(text(formatNumber(int64_t{INT64_MAX})), " 9223372036854775807");
  EXPECT_EQ(text(formatNumber(uint8_t{0})), " 0");
  EXPECT_EQ(text(formatNumber(uint8_t{255})), " 255");
  EXPECT_EQ(text(formatNumber(uint16_t{65535})), " 65535");
  EXPECT_EQ(text(formatNumber(uint32_t{UINT32_MAX})), " 4294967295");
  EXPECT_EQ(text(formatNumber(uint64_t{UINT64_MAX})), " 18446744073709551615");
}

struct SingleCase {
  float value;
  const char* expected;
};

TEST_F(NumberFormatTest, Single_UsesFixedNotationWhileSevenDigitsShowTheValue) {
  const SingleCase cases[] = {
      {0.5f, " .5"},                {-0.25f, "-.25"},            {1234567.0f, " 1234567"},
      {12345678.0f, " 1.234568E+07"}, {0.0000001f, " .0000001"}, {0.00000001f, " 1E-08"},
      {0.0f, " 0"},                 {-0.0f, " 0"},               {1.0f, " 1"},
      {-1.5f, "-1.5"},              {100.0f, " 100"},            {1e7f, " 1E+07"},
      {0.1f, " .1"},                {1.1f, " 1.1"},              {123.456f, " 123.456"},
      {1e-10f, " 1E-10"},           {9999999.0f, " 9999999"},    {16777216.0f, " 1.677722E+07"},
      {0.12345678f, " .1234568"},   {0.012345678f, " 1.234568E-02"},
      {3.4028235e38f, " 3.402823E+38"}, {1.401298e-45f, " 1.401298E-45"},
      {9.9999999f, " 10"},          {-1e-8f, "-1E-08"},          {2.5e6f, " 2500000"},
  };
  for (const SingleCase& c : cases) EXPECT_EQ(text(formatNumber(c.value)), c.expected) << c.value;
}

struct DoubleCase {
  double value;
  const char* expected;
};

TEST_F(NumberFormatTest, Double_UsesSixteenDigitsAndTheExponentLetterD) {
  const DoubleCase cases[] = {
      {1e20, " 1D+20"},             {2.5, " 2.5"},               {0.3, " .3"},
      {1.0 / 3, " .3333333333333333"}, {2.0 / 3, " .6666666666666666"},
      {123456789012345680.0, " 1.234567890123457D+17"},
      {1e15, " 1000000000000000"},  {1e16, " 1D+16"},            {1e-100, " 1D-100"},
      {-1.5e-300, "-1.5D-300"},     {1e300, " 1D+300"},          {0.0, " 0"},
      {-0.0, " 0"},                 {123.25, " 123.25"},         {-2.5, "-2.5"},
      {1e-17, " 1D-17"},            {1e-16, " .0000000000000001"},
      {4.9406564584124654e-324, " 4.940656458412465D-324"},
      {1234567890123456.0, " 1234567890123456"},
  };
  for (const DoubleCase& c : cases) EXPECT_EQ(text(formatNumber(c.value)), c.expected) << c.value;
}

TEST_F(NumberFormatTest, Double_SixteenthDigitNineRoundsToFifteenDigits) {
  // 0.29999999999999993 is written 2.999999999999999E-01 with sixteen digits.
  EXPECT_EQ(text(formatNumber(std::nextafter(0.3, 0.0))), " .3");
  // 1 - 2^-53 is written 9.999999999999999E-01 and comes out one decade up.
  EXPECT_EQ(text(formatNumber(std::nextafter(1.0, 0.0))), " 1");
  EXPECT_EQ(text(formatNumber(-std::nextafter(1.0, 0.0))), "-1");
  // Any value whose sixteenth digit is 9 loses it.
  EXPECT_EQ(text(formatNumber(1.234567890123459)), " 1.23456789012346");
  // A 9 that is not the sixteenth digit stays.
  EXPECT_EQ(text(formatNumber(0.9)), " .9");
  EXPECT_EQ(text(formatNumber(1.999999999999998)), " 1.999999999999998");
}

TEST_F(NumberFormatTest, InfinityAndNan_HaveTextsOfTheirOwn) {
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(text(formatNumber(inf)), " INF");
  EXPECT_EQ(text(formatNumber(-inf)), "-INF");
  EXPECT_EQ(text(formatNumber(std::nan(""))), " NAN");
  EXPECT_EQ(text(formatNumber(static_cast<float>(-inf))), "-INF");
}

TEST_F(NumberFormatTest, PendingError_GivesAnEmptyTemporary) {
  pendingError = 5;
  EXPECT_EQ(text(formatNumber(int16_t{42})), "");
  EXPECT_EQ(text(formatNumber(2.5)), "");
  EXPECT_EQ(text(formatNumber(2.5f)), "");
}

}  // namespace
}  // namespace rt
