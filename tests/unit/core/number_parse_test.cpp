#include "runtime/core/number_parse.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "runtime/core/errors.h"
#include "runtime/core/extended_precision.h"
#include "runtime/core/string_engine.h"

namespace rt {
namespace {

class NumberParseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    pendingError = 0;
    checkpointPending = 0;
  }
  void TearDown() override {
    pendingError = 0;
    checkpointPending = 0;
  }
};

// `expected` is a literal, and a literal is rounded to long double: taken once more to the
// extended format where long double is wider (64-bit ARM), it is the value x86-64 reads.
struct Case {
  std::string text;
  long double expected;
};

void expectParses(const Case* begin, const Case* end) {
  for (const Case* c = begin; c != end; ++c) {
    pendingError = 0;
    EXPECT_EQ(parseNumber(c->text), toExtended(c->expected)) << '"' << c->text << '"';
    EXPECT_EQ(pendingError, 0u) << '"' << c->text << '"';
  }
}

TEST_F(NumberParseTest, DecimalText_GivesTheValueOfItsLongestNumericPrefix) {
  const Case cases[] = {
      {"12:34", 12},        {"  -1.5e3xyz", -1500}, {"0.05", 0.05L},   {"1E", 1},
      {"1E+", 1},           {"+-5", 0},             {"3.4.5", 3.4L},   {"1D2", 100},
      {"08", 8},            {"1,5", 1},             {"1 000", 1000},   {"\t7\t2", 72},
      {"", 0},              {"-", 0},               {".", 0},          {"E5", 0},
      {"0", 0},             {"-0.000", 0},          {"+7", 7},         {"-.5", -0.5L},
      {".25", 0.25L},       {"5.", 5},              {"1e-2", 0.01L},   {"1d+2", 100},
      {"2E2E2", 200},       {"2E-", 2},             {"1.5E2.5", 150},  {"1-2", 1},
      {"- 4", -4},          {"1 e 3", 1000},        {"007.50", 7.5L},  {"x12", 0},
      {"12&H3", 12},        {"0.000123", 0.000123L}, {"100", 100},     {"1E0", 1},
      {"123456789012345678", 123456789012345678.0L},
      {"9223372036854775807", 9223372036854775807.0L},
      {"-9223372036854775807", -9223372036854775807.0L},
  };
  expectParses(std::begin(cases), std::end(cases));
}

TEST_F(NumberParseTest, LongIntegerText_IsRoundedNotWrapped) {
  const Case cases[] = {
      {"9223372036854775808", 9223372036854775808.0L},
      {"18446744073709551617", 18446744073709551616.0L},  // 2^64 + 1 rounds to 2^64
      {"123456789012345678901234567890", 123456789012345678901234567890.0L},
      {"-99999999999999999999", -99999999999999999999.0L},
      {"00000000000000000000000001", 1},
  };
  expectParses(std::begin(cases), std::end(cases));
  EXPECT_GT(parseNumber("99999999999999999999"), 0);
}

TEST_F(NumberParseTest, ExponentExtremes_GiveInfinityOrZeroWithoutError) {
  const long double inf = std::numeric_limits<long double>::infinity();
  const Case cases[] = {
      {"1E5000", inf},     {"-1E5000", -inf},   {"1E-5000", 0},
      {"1E999999999999999999", inf},            // 18 exponent digits
      {"1E1234567890123456789", inf},           // a 19th exponent digit ends the scan
      {"1E0000000000000000000000002", 100},     // leading exponent zeros are not counted
      {"0.0000000000000000000000000000001E31", 1},
  };
  expectParses(std::begin(cases), std::end(cases));
}

TEST_F(NumberParseTest, ManySignificantDigits_AreAllUsed) {
  // 300 significant digits: far past any fixed-size digit buffer.
  std::string digits = "1" + std::string(299, '0');
  EXPECT_EQ(parseNumber(digits), toExtended(1e299L));
  EXPECT_EQ(parseNumber("0." + std::string(400, '0') + "1E402"), 10);
  // 2^64 + 1 lies half-way between two extended values and goes to the even one; a digit 250
  // places to the right tips it upwards, so no digit may be dropped.
  EXPECT_EQ(parseNumber("18446744073709551617"), 18446744073709551616.0L);
  const std::string justAboveHalf = "18446744073709551617." + std::string(250, '0') + "1";
  EXPECT_EQ(parseNumber(justAboveHalf), 18446744073709551618.0L);
}

TEST_F(NumberParseTest, BasedConstants_ReadHexAndOctalAsSigned64Bits) {
  const Case cases[] = {
      {"&H", 0},          {"&", 0},               {"&H10", 16},          {"&O17", 15},
      {"&o17", 15},       {"&h1f", 31},           {"&B101", 0},          {"&HFFFF", 65535},
      {"&HFFFFFFFFFFFFFFFF", -1},
      {"&H8000000000000000", -9223372036854775807.0L - 1},
      {"&H00000000000000001", 1},                 {"  &H10", 16},        {"&H1 0", 1},
      {"&HG", 0},         {"&H7FFFFFFFFFFFFFFF", 9223372036854775807.0L},
      {"&O1777777777777777777777", -1},           // 22 digits starting with 1: fits 64 bits
      {"&O777777777777777777777", 9223372036854775807.0L},  // 21 digits
      {"&O0000000000000000000000000017", 15},     {"&O8", 0},            {"&H-1", 0},
      {"-&H10", 0},       {"1&H10", 1},           {"&x", 0},
  };
  expectParses(std::begin(cases), std::end(cases));
}

TEST_F(NumberParseTest, OverlongBasedConstants_RaiseOverflowAndGiveZero) {
  const char* cases[] = {"&H10000000000000000", "&HFFFFFFFFFFFFFFFFF", "&O2000000000000000000000",
                         "&O12345670123456701234567", "&O10000000000000000000000"};
  for (const char* text : cases) {
    pendingError = 0;
    EXPECT_EQ(parseNumber(text), 0) << text;
    EXPECT_EQ(pendingError, 6u) << text;
  }
}

TEST_F(NumberParseTest, PendingError_GivesZeroWithoutScanning) {
  pendingError = 53;
  EXPECT_EQ(parseNumber("42"), 0);
  EXPECT_EQ(parseNumber("&H10000000000000000"), 0);
  EXPECT_EQ(pendingError, 53u);
}

TEST_F(NumberParseTest, StringDescriptor_IsReadWithItsExplicitLength) {
  initStringEngine();
  static const char kText[] = "12345";
  EXPECT_EQ(parseNumber(newStringFromText(kText, 2)), 12);
  RtString* withZero = newStringFromText("7\0" "9", 3);
  EXPECT_EQ(parseNumber(withZero), 7);
  releaseTemps(1, 0);
}

}  // namespace
}  // namespace rt
