// Rows of every ALL.TXT layout, read in order by one parser: decodes field by field, the rows
// that give date and dial to later ones, and every row that is skipped, with the traps (a-priori
// tags and "?" that look like words, RR73 that looks like a grid, a header at midnight, CR LF).
#include "feed/decoder_log.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace feed {
namespace {

struct Row {
  const char* line;
  LineKind kind;
  // For a decode: "call,frequency,yyyy-mm-dd hh:mm:ss,locator,snr,mode".
  const char* fields = "";
};

std::string fieldsOf(const Decode& d) {
  char text[160];
  std::snprintf(text, sizeof text, "%s,%s,%04d-%02d-%02d %02d:%02d:%02d,%s,%d,%s",
                std::string(d.call).c_str(), std::string(d.frequency).c_str(), d.year, d.month,
                d.day, d.hour, d.minute, d.second, std::string(d.locator).c_str(), d.snr,
                d.mode == Mode::Ft8   ? "FT8"
                : d.mode == Mode::Ft4 ? "FT4"
                                      : "WSPR");
  return text;
}

struct LayoutCase {
  const char* name;
  Layout layout;
  std::vector<Row> rows;
};

class Layouts : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(Layouts, ReadEveryRowInOrder) {
  DecoderLogParser parser;
  for (const Row& row : GetParam().rows) {
    const ParsedLine parsed = parser.parse(row.line);
    EXPECT_EQ(parsed.kind, row.kind) << row.line;
    if (row.kind == LineKind::Decode && parsed.kind == LineKind::Decode) {
      EXPECT_EQ(fieldsOf(parsed.decode), row.fields) << row.line;
      EXPECT_FALSE(parsed.decode.hasPower);
    }
  }
  EXPECT_EQ(parser.layout(), GetParam().layout);
}

const LineKind decode = LineKind::Decode;

INSTANTIATE_TEST_SUITE_P(
    AllTxt, Layouts,
    ::testing::Values(
        LayoutCase{
            "DatedRows",
            Layout::DatedRows,
            {{"210115_163115    14.074 Rx FT8     -1  0.3  851 PD1JFB OK1UU +05", decode,
              "OK1UU,14.074851,2021-01-15 16:31:15,,-1,FT8"},
             {"210115_163430    14.076 Rx FT8     -9  0.2 1042 <...> OK1ASG JN79\r", decode,
              "OK1ASG,14.077042,2021-01-15 16:34:30,JN79,-9,FT8"},
             {"250816_075400    14.074 Rx FT8    -14  0.2 1177 M0IOW IW1ENZ JN44                   "
              "  a7",
              decode, "IW1ENZ,14.075177,2025-08-16 07:54:00,JN44,-14,FT8"},
             {"220301_101507     0.000 Rx FT4    +12  0.1  600 CQ DX K1ABC/P FN42", decode,
              "K1ABC/P,0.000600,2022-03-01 10:15:07,FN42,12,FT4"},
             {"220301_101522    14.080 Rx FT4     -3  0.1  600 K1ABC W9XYZ RR73", decode,
              "W9XYZ,14.080600,2022-03-01 10:15:22,,-3,FT4"},
             // Out of time order: read as it comes.
             {"220301_101500    14.080 Rx FT4     -5  0.1  700 W9XYZ K1ABC R-05", decode,
              "K1ABC,14.080700,2022-03-01 10:15:00,,-5,FT4"},
             {"220301_101530    14.080 Tx FT4      0  0.0 1500 K1ABC W9XYZ 73",
              LineKind::OwnTransmission},
             {"220301_101530    14.080 Rx FT8     -8  0.1  700 K1ABC W9XYZ FN42     ? a2",
              LineKind::LowConfidence},
             {"220301_101530    14.080 Rx FT8     -8  0.1  700 TNX FOR QSO?", LineKind::NoSender},
             {"220301_101530    14.080 Rx JT65   -20  0.1  700 CQ K1ABC FN42", LineKind::OtherMode},
             {"220301_101530    14.080 Rx FT8_SH -20  0.1  700 CQ K1ABC FN42", LineKind::OtherMode},
             {"220301_101530    14.080 Rx FT8     -8", LineKind::Unreadable}}},
        LayoutCase{"HeaderRows",
                   Layout::HeaderRows,
                   {// Before any header row: no date, no dial.
                    {"235815 -15  0.3 1294 ~  W3XOX W9SBE +14         ", LineKind::NoHeading},
                    {"2017-09-22 23:50  7.074 MHz  FT8", LineKind::Heading},
                    {"235830 -10  0.3  697 ~  5T5OK K4OY EM74         ", decode,
                     "K4OY,7.074697,2017-09-22 23:58:30,EM74,-10,FT8"},
                    // The header at midnight dates the rows after it.
                    {"2017-09-23 00:00  7.074 MHz  FT8", LineKind::Heading},
                    {"000000  -7  0.5  677 ~  CQ NEB K8TB             ", decode,
                     "K8TB,7.074677,2017-09-23 00:00:00,,-7,FT8"},
                    {"2015-Apr-18 12:01  18.1 MHz  FT8", LineKind::Heading},
                    {"120115  -2  0.4 1668 ~  K3JYD VP9NM RRR         ", decode,
                     "VP9NM,18.101668,2015-04-18 12:01:15,,-2,FT8"},
                    {"180127_222900  Transmitting 14.074 MHz  FT8:  W1AW N1AW CM98    ",
                     LineKind::OwnTransmission},
                    {"2017-12-03 00:41  14.076 MHz  JT9+JT65", LineKind::Heading},
                    {"004100  -9  0.2 1100 @  CQ K1ABC FN42", LineKind::OtherMode}}},
        LayoutCase{
            "MonthlyRows",
            Layout::MonthlyRows,
            {{"20250101_080430  -4 -0.4 1275 ~ CQ BH3GZP ON50            *\r", LineKind::NoHeading},
             {"20250101_080437  21.074 MHz  FT8 JTDX v2.2.0-rc155d382c2\r", LineKind::Heading},
             {"20250101_080430  partial loss of data                     d\r", LineKind::Note},
             {"20250101_080430 -15  0.2 1818 ~ CQ UP7WWA MO13            *\r", decode,
              "UP7WWA,21.075818,2025-01-01 08:04:30,MO13,-15,FT8"},
             {"20250101_080445  -5  0.3 1254 ~ R7IW BG2MGR PN23\r", decode,
              "BG2MGR,21.075254,2025-01-01 08:04:45,PN23,-5,FT8"},
             // The mark column right after a message of 26 characters.
             {"20250101_080500  -9  0.1  700 ~ TU; JD2AYN ZA4LYJ 579 64651\r", decode,
              "ZA4LYJ,21.074700,2025-01-01 08:05:00,,-9,FT8"},
             {"20250107_041045   1 -0.8  890 : CQ WWA BY8GA OL39\r", decode,
              "BY8GA,21.074890,2025-01-07 04:10:45,OL39,1,FT4"},
             {"20250101_0805 -19  0.1 1168 + R4IQ R9OBJ -18\r", LineKind::OtherMode},
             {"20250101_080605.474(0)  Transmitting 21.079 MHz  T10:  CQ BG2KAJ PN23\r",
              LineKind::OwnTransmission},
             {"20250107_040746.829(0)  Retransmitting 21.074 MHz  FT8:  BA3RA BG2KAJ -08\r",
              LineKind::OwnTransmission},
             {"20250101_081200  QSO logged: R9OBJ\r", LineKind::Note}}}),
    [](const ::testing::TestParamInfo<LayoutCase>& info) { return std::string(info.param.name); });

// The header and band rows' information goes with the state of a run and back.
TEST(DecoderLogParser, TakesUpTheRowContextItIsGiven) {
  DecoderLogParser first, second;
  first.parse("2017-09-22 23:50  7.074 MHz  FT8");
  second.restore(first.context());
  EXPECT_EQ(second.parse("235830 -10  0.3  697 ~  5T5OK K4OY EM74").kind, LineKind::Decode);
  second.startOver();
  EXPECT_EQ(second.parse("235830 -10  0.3  697 ~  5T5OK K4OY EM74").kind, LineKind::NoHeading);
}

}  // namespace
}  // namespace feed
