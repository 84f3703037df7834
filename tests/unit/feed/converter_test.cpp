// Conversion line by line: counts, the band filter, and no record twice after a new start.
#include "feed/converter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace feed {
namespace {

std::string convertAll(Converter& converter, const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& line : lines) converter.convertLine(line, out);
  return out;
}

const std::vector<std::string> mixedLines = {
    "200801 0018 -16  0.32   7.0400277  N8PK FM19 20  0",
    "200801 0018 -11  0.58  10.1400707  K4APC EM81 37  0",
    "191010_105530     1.840 Rx FT8     10 -0.0 1295 CQ VE3MGY EN92",
    "191010_105545     1.840 Tx FT8      0  0.0 1500 CQ K1ABC FN42",
    "not a decode",
    "",
    "200801 0020  -7  0.41  14.0970991  N1ZPY FN64 37  0",
};

TEST(Converter, CountsWhatItSkipsAndWritesTheRest) {
  Converter converter({});
  EXPECT_EQ(convertAll(converter, mixedLines),
            "N8PK,7.0400277,00:18:00,FM19,-16,20 dBm\r\n"
            "K4APC,10.1400707,00:18:00,EM81,-11,37 dBm\r\n"
            "VE3MGY,1.841295,10:55:30,EN92,10,\r\n"
            "N1ZPY,14.0970991,00:20:00,FN64,-7,37 dBm\r\n");
  const FeedCounts& counts = converter.counts();
  EXPECT_EQ(counts.records, 4);
  EXPECT_EQ(counts.otherMode, 0);
  EXPECT_EQ(counts.ownTransmission, 1);
  EXPECT_EQ(counts.unreadable, 1);
  EXPECT_EQ(counts.skipped(), 2);
  EXPECT_EQ(describeCounts(counts, {}),
            "4 records written, 2 lines skipped (0 other modes, 1 own transmissions, 1 unreadable); "
            "records by mode: WSPR 3, FT8 1, FT4 0; skipped besides: 0 marked low-confidence, 0 "
            "without a sender's call, 0 before a row giving their date or dial, 0 notes");
}

TEST(Converter, KeepsOnlyTheBandAndTheModesAskedFor) {
  Converter thirty({findBand("30m"), false});
  EXPECT_EQ(convertAll(thirty, mixedLines), "K4APC,10.1400707,00:18:00,EM81,-11,37 dBm\r\n");
  EXPECT_EQ(thirty.counts().outsideBand, 3);
  EXPECT_EQ(thirty.counts().records, 1);
  Converter ft8({std::nullopt, false, modeBit(Mode::Ft8)});
  EXPECT_EQ(convertAll(ft8, mixedLines), "VE3MGY,1.841295,10:55:30,EN92,10,\r\n");
  EXPECT_EQ(ft8.counts().modeNotAsked, 3);
  EXPECT_NE(describeCounts(ft8.counts(), {std::nullopt, false, modeBit(Mode::Ft8)})
                .find(", 3 decodes of other modes"),
            std::string::npos);
}

TEST(Converter, AfterANewStartWritesOnlyWhatWasNotWrittenYet) {
  Converter converter({});
  const std::vector<std::string> first = {
      "200801 0016 -20  0.30   7.0400100  K1AAA FN42 37  0",
      "200801 0018 -16  0.32   7.0400277  N8PK FM19 20  0",
  };
  convertAll(converter, first);
  converter.startOver();
  // The file read again, with one more decode of the newest minute and a newer one.
  const std::vector<std::string> again = {
      "200801 0016 -20  0.30   7.0400100  K1AAA FN42 37  0",
      "200801 0018 -16  0.32   7.0400277  N8PK FM19 20  0",
      "200801 0018 -25  0.90   7.0401000  W1BBB FN31 23  0",
      "200801 0020 -10  0.10   7.0400500  K1AAA FN42 37  0",
  };
  EXPECT_EQ(convertAll(converter, again),
            "W1BBB,7.0401000,00:18:00,FN31,-25,23 dBm\r\n"
            "K1AAA,7.0400500,00:20:00,FN42,-10,37 dBm\r\n");
  EXPECT_EQ(converter.counts().alreadyWritten, 2);
  EXPECT_EQ(converter.counts().records, 4);
  // A second new start remembers the newest minute written since.
  converter.startOver();
  EXPECT_EQ(convertAll(converter, again), "");
  EXPECT_EQ(converter.counts().alreadyWritten, 6);
}

TEST(Converter, WithoutANewStartTheSameLineTwiceIsTwoRecords) {
  // Two identical lines in one file are two lines of the decoder; only a new start of the
  // file makes the feed skip what it has written.
  Converter converter({});
  const std::string line = "200801 0018 -16  0.32   7.0400277  N8PK FM19 20  0";
  EXPECT_EQ(convertAll(converter, {line, line}),
            "N8PK,7.0400277,00:18:00,FM19,-16,20 dBm\r\nN8PK,7.0400277,00:18:00,FM19,-16,20 dBm\r\n");
}

}  // namespace
}  // namespace feed
