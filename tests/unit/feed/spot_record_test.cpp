// Records as the plotter reads them, and the band table.
#include "feed/spot_record.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <random>
#include <string>

#include "feed/bands.h"
#include "feed/decode_line.h"

namespace feed {
namespace {

std::string recordOf(const char* line) {
  const ParsedLine parsed = parseDecodeLine(line);
  EXPECT_EQ(parsed.kind, LineKind::Decode) << line;
  std::string out;
  appendSpotRecord(out, parsed.decode, {parsed.decode.hour, parsed.decode.minute});
  return out;
}

TEST(SpotRecord, HoldsSixFieldsWithTheDecodersFrequencyAndCrLf) {
  const struct {
    const char* line;
    const char* record;
  } cases[] = {
      {"200801 0018 -16  0.32   7.0400277  N8PK FM19 20   0", "N8PK,7.0400277,00:18:00,FM19,-16,20 dBm\r\n"},
      {"200801 0046  -0  0.37   7.0400322  WA1RAJ FN42 37  -1", "WA1RAJ,7.0400322,00:46:00,FN42,0,37 dBm\r\n"},
      {"200801 0040 -12  0.54   7.0401628  AJ8S/1 33  0", "AJ8S/1,7.0401628,00:40:00,,-12,33 dBm\r\n"},
      {"200801 0028 -13  0.45   7.0400802  <N8AUM> EM70EM 27  0", "N8AUM,7.0400802,00:28:00,EM70EM,-13,27 dBm\r\n"},
      {"200801 0018 -18  2.11   7.0400773  <...> EM63OB 23  0", "<...>,7.0400773,00:18:00,EM63OB,-18,23 dBm\r\n"},
      {"200715 2359  10 +5 -0.3   7.040078  G6JVT IO90 0  0", "G6JVT,7.040078,23:59:00,IO90,5,0 dBm\r\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(recordOf(c.line), c.record);
}

#ifndef _WIN32
// The local time of day follows the zone, across midnight.
TEST(SpotRecord, LocalTimeIsTheZonesTimeOfDay) {
  const char* saved = std::getenv("TZ");
  const std::string savedZone = saved != nullptr ? saved : "";
  setenv("TZ", "XYZ-2", 1);  // two hours east of UTC, no summer time
  tzset();
  const ParsedLine parsed = parseDecodeLine("200801 2318 -16 0.32 7.0400277 N8PK FM19 20");
  LocalTimeConverter converter;
  const TimeOfDay local = converter.localTimeOf(parsed.decode);
  EXPECT_EQ(local.hour, 1);
  EXPECT_EQ(local.minute, 18);
  std::string out;
  appendSpotRecord(out, parsed.decode, local);
  EXPECT_EQ(out, "N8PK,7.0400277,01:18:00,FM19,-16,20 dBm\r\n");
  if (saved != nullptr) {
    setenv("TZ", savedZone.c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  tzset();
}
#endif

TEST(Bands, NamesFindTheirEdgesIgnoringLetterCase) {
  const struct {
    const char* name;
    double inside;
    double below;
    double above;
  } cases[] = {
      {"30m", 10.1401, 10.0999, 10.1501}, {"40M", 7.0401, 6.999, 7.301},
      {"20m", 14.0971, 13.99, 14.36},     {"160m", 1.8381, 1.79, 2.01},
      {"60m", 5.2887, 5.24, 5.46},        {"630m", 0.4756, 0.47, 0.48},
      {"2m", 144.4904, 143.9, 148.1},     {"70cm", 432.3, 419.0, 451.0},
  };
  for (const auto& c : cases) {
    const std::optional<Band> band = findBand(c.name);
    ASSERT_TRUE(band.has_value()) << c.name;
    EXPECT_TRUE(band->contains(c.inside)) << c.name;
    EXPECT_FALSE(band->contains(c.below)) << c.name;
    EXPECT_FALSE(band->contains(c.above)) << c.name;
  }
  EXPECT_FALSE(findBand("31m").has_value());
  EXPECT_FALSE(findBand("").has_value());
  EXPECT_FALSE(findBand("30").has_value());
}

struct BlockCase {
  const char* what;
  int64_t offset;
  std::string records;
  std::string expected;
};

TEST(SpotLogBlocks, LinesAreKeptWithinTheirBlocksByBlanksBeforeALineEnd) {
  const std::string a = "K1ABC,7.04,01:00:00,FN42,-5,37 dBm\r\n";  // 36 bytes
  const std::string b = "W9XYZ,14.074600,01:00:15,EN52,3,\r\n";    // 34 bytes
  const auto padded = [](std::string line, size_t blanks) {
    return line.insert(line.size() - 2, blanks, ' ');
  };
  const BlockCase cases[] = {
      {"far from a boundary: as it is", 100, a + b, a + b},
      {"b would cross: a is padded to the boundary", 4096 - 36 - 20, a + b, padded(a, 20) + b},
      {"ending close to a boundary: the last line fills its block", 4096 - 36 - 34 - 50, a + b,
       a + padded(b, 50)},
      {"the first line crosses: nothing to pad", 4096 - 10, a + b, a + b},
      {"exactly at a boundary: as it is", 8192, a + b, a + b},
  };
  std::string records;
  for (const BlockCase& c : cases) {
    keepLinesInBlocks(c.records, c.offset, records);
    EXPECT_EQ(records, c.expected) << c.what;
  }
}

// Many writes of records of every length, one after another, as the feed appends them: no line
// the feed could keep within a block crosses a boundary, and every record reads as it was.
TEST(SpotLogBlocks, NoLineCrossesABoundaryAndEveryRecordReadsAsItWas) {
  std::mt19937 random(4096);
  std::string file = "Spots converted from ALL.TXT\r\n", written;
  for (int write = 0; write < 3000; ++write) {
    std::string records;
    for (int n = static_cast<int>(random() % 6); n >= 0; --n) {
      records += std::string(8 + random() % 50, 'K') + ",-12,\r\n";
    }
    written += records;
    std::string padded;
    keepLinesInBlocks(records, static_cast<int64_t>(file.size()), padded);
    file += padded;
  }
  std::string unpadded;
  size_t crossing = 0;
  for (size_t start = file.find('\n') + 1; start < file.size();) {
    const size_t end = file.find('\n', start) + 1;
    crossing += start / lineBlockBytes != (end - 1) / lineBlockBytes;
    unpadded += std::string(withoutPadding(file.substr(start, end - start))) + "\r\n";
    start = end;
  }
  EXPECT_EQ(crossing, 0u);
  EXPECT_EQ(unpadded, written);
  // Padding costs little: well under 2 % of the bytes.
  EXPECT_LT(file.size() - written.size(), written.size() / 50);
}

}  // namespace
}  // namespace feed
