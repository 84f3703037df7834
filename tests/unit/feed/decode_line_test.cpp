// Decoder log lines of every layout and message type, and lines that are not decodes.
#include "feed/decode_line.h"

#include <gtest/gtest.h>

#include <string>

namespace feed {
namespace {

struct DecodeCase {
  const char* line;
  const char* call;
  const char* frequency;
  const char* locator;
  int snr;
  int powerDbm;
  int hour;
  int minute;
};

class DecodeLines : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeLines, GiveTheFieldsTheirColumnsHold) {
  const DecodeCase& expected = GetParam();
  const ParsedLine parsed = parseDecodeLine(expected.line);
  ASSERT_EQ(parsed.kind, LineKind::Decode) << expected.line;
  EXPECT_EQ(parsed.decode.call, expected.call);
  EXPECT_EQ(parsed.decode.frequency, expected.frequency);
  EXPECT_EQ(parsed.decode.locator, expected.locator);
  EXPECT_EQ(parsed.decode.snr, expected.snr);
  EXPECT_EQ(parsed.decode.powerDbm, expected.powerDbm);
  EXPECT_EQ(parsed.decode.hour, expected.hour);
  EXPECT_EQ(parsed.decode.minute, expected.minute);
}

INSTANTIATE_TEST_SUITE_P(
    AllLayouts, DecodeLines,
    ::testing::Values(
        // SNR third, time offset fourth.
        DecodeCase{"200801 0018 -16  0.32   7.0400277  N8PK FM19 20            0  0.49  1  1    0  0   6     1   477",
                   "N8PK", "7.0400277", "FM19", -16, 20, 0, 18},
        DecodeCase{"200801 0046  -0  0.37   7.0400322  WA1RAJ FN42 37         -1  0.65  1  1    0  0   1     1   651",
                   "WA1RAJ", "7.0400322", "FN42", 0, 37, 0, 46},
        DecodeCase{"200801 0040 -12  0.54   7.0401628  AJ8S/1 33               0  0.45  1  1    0  0   4     1   420",
                   "AJ8S/1", "7.0401628", "", -12, 33, 0, 40},
        DecodeCase{"200801 0028 -13  0.45   7.0400802  <N8AUM> EM70EM 27       0  0.62  1  1    0  0   1     1   655",
                   "N8AUM", "7.0400802", "EM70EM", -13, 27, 0, 28},
        DecodeCase{"200801 0018 -18  2.11   7.0400773  <...> EM63OB 23         0  0.40  1  1    0  0  43     1   506",
                   "<...>", "7.0400773", "EM63OB", -18, 23, 0, 18},
        // A sync-quality column before the SNR.
        DecodeCase{"200801 0018   4 -16  0.32   7.0400277  N8PK FM19 20            0     1    0    1  472  0",
                   "N8PK", "7.0400277", "FM19", -16, 20, 0, 18},
        DecodeCase{"200801 0142   5 -12  0.83   7.0401630  <AJ8S/1> FN44MF 33      0     1    0    1  562  0",
                   "AJ8S/1", "7.0401630", "FN44MF", -12, 33, 1, 42},
        DecodeCase{"200801 0056   5  -9  0.75   7.0401634  AJ8S/1 33               0     1    0    1  588  0",
                   "AJ8S/1", "7.0401634", "", -9, 33, 0, 56},
        // The older sync-first layout: six-digit frequencies, one-decimal time offsets.
        DecodeCase{"200715 1006  10 -23 -0.3   7.040078  G6JVT IO90 23           0     1    0",
                   "G6JVT", "7.040078", "IO90", -23, 23, 10, 6},
        DecodeCase{"200715 1008   4 -30 -0.3   7.040039  M5TXJ IO84 23           0  9880  -10",
                   "M5TXJ", "7.040039", "IO84", -30, 23, 10, 8},
        // Positive SNR, tabs, a CR left by a CR LF file, a message at the end of the line.
        DecodeCase{"201231\t2358\t+7\t0.10\t14.0970999\tDL1ABC\tJO62\t30\r",
                   "DL1ABC", "14.0970999", "JO62", 7, 30, 23, 58},
        DecodeCase{"210102 2358   3  0.10  10.1401234  K1ABC FN42 0", "K1ABC", "10.1401234",
                   "FN42", 3, 0, 23, 58},
        // Words as the decoder wrote them: telemetry "locators" that are not Maidenhead squares
        // and powers outside 0 to 60 dBm.
        DecodeCase{"200801 0018 -21  0.40  14.0971010  <...> B000AA 63      0  0.40  1  1    0  0   1     1   506",
                   "<...>", "14.0971010", "B000AA", -21, 63, 0, 18},
        DecodeCase{"200801 0020 -25  0.40  14.0971010  0A1ABC ZZ19 99    0", "0A1ABC", "14.0971010",
                   "ZZ19", -25, 99, 0, 20},
        DecodeCase{"200801 0022   2 -26  0.40  14.0971012  Q12ABC 1a2b3c -3  0", "Q12ABC",
                   "14.0971012", "1a2b3c", -26, -3, 0, 22},
        DecodeCase{"200801 0024 -19  0.40  14.0971020  K1ABC/P 77    0", "K1ABC/P", "14.0971020", "",
                   -19, 77, 0, 24}));

struct KindCase {
  const char* line;
  LineKind kind;
};

class LineKinds : public ::testing::TestWithParam<KindCase> {};

TEST_P(LineKinds, AreClassifiedForTheCounts) {
  EXPECT_EQ(parseDecodeLine(GetParam().line).kind, GetParam().kind) << GetParam().line;
}

INSTANTIATE_TEST_SUITE_P(
    SkippedLines, LineKinds,
    ::testing::Values(
        KindCase{"", LineKind::Blank}, KindCase{"   \t \r", LineKind::Blank},
        KindCase{"191010_105545     1.840 Tx FT8      0  0.0 1500 CQ K1ABC FN42", LineKind::OwnTransmission},
        KindCase{"200801 0020  Transmitting on 40m: K1ABC FN42 37", LineKind::OwnTransmission},
        // Missing columns.
        KindCase{"200801 0018 -16  0.32   7.0400277", LineKind::Unreadable},
        KindCase{"200801 0018 -16  0.32   7.0400277  N8PK", LineKind::Unreadable},
        KindCase{"200801 0018 -16  0.32   7.0400277  N8PK FM19", LineKind::Unreadable},
        KindCase{"200801", LineKind::Unreadable},
        // Columns that are not what they must be.
        KindCase{"200832 0018 -16  0.32   7.0400277  N8PK FM19 20  0", LineKind::Unreadable},
        KindCase{"200801 2460 -16  0.32   7.0400277  N8PK FM19 20  0", LineKind::Unreadable},
        KindCase{"200801 0018 x16  0.32   7.0400277  N8PK FM19 20  0", LineKind::Unreadable},
        KindCase{"200801 0018 -16  0.32   7.04.277  N8PK FM19 20  0", LineKind::Unreadable},
        KindCase{"200801 0018 -16  0.32   -7.0400  N8PK FM19 20  0", LineKind::Unreadable},
        KindCase{"200801 0018 -160 0.32   7.0400277  N8PK FM19 20  0", LineKind::Unreadable},
        KindCase{"200801 0018 -16  0.32   7.0400277  N8PK FM1! 20  0", LineKind::Unreadable},
        KindCase{"200801 0018 -16  0.32   7.0400277  N8PK FM19 2.5  0", LineKind::Unreadable},
        KindCase{"200801 0018 -16  0.32   7.0400277  <...> 1234 20  0", LineKind::Unreadable},
        KindCase{"200801 0018 -16  0.32   7.0400277  N8PK FM19A 20  0", LineKind::Unreadable},
        KindCase{"200801 0018 -16  0.32   7.0400277  <N8PK> FM19 x  0", LineKind::Unreadable},
        KindCase{"200801 0018 -16  0.32   7.0400277  <N8PK 20  0", LineKind::Unreadable},
        KindCase{"200801 0018 -16  0.32   7.0400277  <> FM19AA 20  0", LineKind::Unreadable},
        // Text that would break the spot log's fields never becomes a record.
        KindCase{"200801 0018 -16  0.32   7.0400277  N8,PK FM19 20  0", LineKind::Unreadable},
        KindCase{"200801 0018 -16  0.32   7.0400277  \"N8PK\" FM19 20  0", LineKind::Unreadable},
        KindCase{"200801 0018 -16  0.32   7.0400277  N8PK\x1a FM19 20  0", LineKind::Unreadable},
        KindCase{"200801 0018 -16  0.32   7.0400277  <$(rm)> FM19AA 20  0", LineKind::Unreadable},
        KindCase{"200801 0018 -16  0.32   7.0400277  ABCDEFGHIJKLMNOPQ FM19 20  0", LineKind::Unreadable},
        KindCase{"\x7f\x45\x4c\x46\x02\x01\x01", LineKind::Unreadable}));

TEST(DecodeLine, ZeroBytesInsideALineDoNotMakeADecode) {
  const std::string line("200801 0018 -16  0.32   7.0400277  N8\0PK FM19 20  0", 51);
  EXPECT_EQ(parseDecodeLine(line).kind, LineKind::Unreadable);
}

TEST(DecodeLine, UtcMinutesCountFromTheEpochAcrossYearsMonthsAndLeapDays) {
  const struct {
    const char* line;
    int64_t minutes;
  } cases[] = {
      {"000101 0000 -1 0.1 7.04 K1ABC FN42 30", 946684800 / 60},
      {"000101 0001 -1 0.1 7.04 K1ABC FN42 30", 946684800 / 60 + 1},
      {"200801 0018 -1 0.1 7.04 K1ABC FN42 30", 1596241080 / 60},
      {"000229 2359 -1 0.1 7.04 K1ABC FN42 30", 951868740 / 60},
      {"241231 1200 -1 0.1 7.04 K1ABC FN42 30", 1735646400 / 60},
  };
  for (const auto& c : cases) {
    const ParsedLine parsed = parseDecodeLine(c.line);
    ASSERT_EQ(parsed.kind, LineKind::Decode) << c.line;
    EXPECT_EQ(utcMinutes(parsed.decode), c.minutes) << c.line;
  }
}

}  // namespace
}  // namespace feed
