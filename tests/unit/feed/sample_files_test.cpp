// The real decoder logs of every layout converted whole, and files no decoder would write.
#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "feed/feed_run.h"
#include "tests/unit/feed/feed_test_support.h"

namespace feed {
namespace {

using testing::readFile;
using testing::recordFields;
using testing::spotLogLines;
using testing::TempFolder;
using testing::writeFile;

std::string sample(const char* name) { return std::string(FERLANG_WSPR_SAMPLES) + "/" + name; }

struct OnceResult {
  int status = -1;
  std::vector<std::string> lines;  // the spot log's lines
  std::string out, err;
};

OnceResult convertOnce(const std::string& source, const std::string& spotLog,
                       std::vector<std::string> extra = {}) {
  std::vector<std::string> arguments = {"--once", source, spotLog};
  arguments.insert(arguments.end(), extra.begin(), extra.end());
  const ParsedOptions parsed = parseOptions(arguments);
  EXPECT_EQ(parsed.action, ParsedOptions::Action::Run);
  std::ostringstream out, err;
  OnceResult result;
  result.status = runFeed(parsed.options, out, err);
  result.lines = spotLogLines(readFile(spotLog));
  result.out = out.str();
  result.err = err.str();
  return result;
}

struct SampleFile {
  const char* name;
  size_t records;
  const char* counts;
  const char* layout = "WSPR columns (ALL_WSPR.TXT)";
};

TEST(SampleFiles, ConvertWholeWithTheRecordCountsTheirLinesGive) {
  const SampleFile files[] = {
      {"layout-a-40m.txt", 432,
       "432 records written, 0 lines skipped (0 other modes, 0 own transmissions, 0 unreadable)"},
      {"layout-b-40m.txt", 430,
       "430 records written, 0 lines skipped (0 other modes, 0 own transmissions, 0 unreadable)"},
      // The last line has no line end; a one-time conversion takes it all the same.
      {"layout-c-40m.txt", 122,
       "122 records written, 0 lines skipped (0 other modes, 0 own transmissions, 0 unreadable)"},
      // A general decoder's log: FT8 and FT4 rows, one of them marked low-confidence.
      {"other-mode-ft8.txt", 899,
       "899 records written, 67 lines skipped (0 other modes, 66 own transmissions, 0 unreadable); "
       "records by mode: WSPR 0, FT8 523, FT4 376; skipped besides: 1 marked low-confidence, 0 "
       "without a sender's call, 0 before a row giving their date or dial, 0 notes",
       "dated rows (ALL.TXT)"},
  };
  for (const SampleFile& file : files) {
    SCOPED_TRACE(file.name);
    TempFolder folder;
    const OnceResult result = convertOnce(sample(file.name), folder.file("spots.log"));
    EXPECT_EQ(result.status, 0) << result.err;
    ASSERT_EQ(result.lines.size(), file.records + 1);
    EXPECT_EQ(result.lines[0], "Spots converted from " + std::string(file.name));
    for (size_t i = 1; i < result.lines.size(); ++i) {
      ASSERT_EQ(recordFields(result.lines[i]).size(), 6u) << result.lines[i];
    }
    EXPECT_EQ(result.out, "ferlang-feed: " + sample(file.name) + " reads as " + file.layout +
                              "\nferlang-feed: " + file.counts + "\n");
    EXPECT_EQ(result.err, "");
  }
}

// A few rows per layout, field by field, against the columns of the sample's own line.
TEST(SampleFiles, RecordsHoldTheirLinesColumns) {
  const struct {
    const char* file;
    size_t record;  // 1 = first record
    std::vector<std::string> fields;
  } rows[] = {
      {"layout-a-40m.txt", 1, {"N8PK", "7.0400277", "00:18:00", "FM19", "-16", "20 dBm"}},
      {"layout-a-40m.txt", 4, {"<...>", "7.0400773", "00:18:00", "EM63OB", "-18", "23 dBm"}},
      {"layout-b-40m.txt", 1, {"N8PK", "7.0400277", "00:18:00", "FM19", "-16", "20 dBm"}},
      {"layout-b-40m.txt", 2, {"ZS3RF", "7.0400509", "00:18:00", "KG01", "-28", "37 dBm"}},
      {"layout-b-40m.txt", 4, {"<...>", "7.0400773", "00:18:00", "EM63OB", "-17", "23 dBm"}},
      {"layout-c-40m.txt", 1, {"G6JVT", "7.040078", "10:06:00", "IO90", "-23", "23 dBm"}},
      {"layout-c-40m.txt", 4, {"M5TXJ", "7.040039", "10:08:00", "IO84", "-30", "23 dBm"}},
      {"layout-c-40m.txt", 122, {"G8LIK", "7.040147", "11:48:00", "IO93", "-25", "23 dBm"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.file) + " record " + std::to_string(row.record));
    TempFolder folder;
    const OnceResult result = convertOnce(sample(row.file), folder.file("spots.log"));
    ASSERT_GT(result.lines.size(), row.record);
    EXPECT_EQ(recordFields(result.lines[row.record]), row.fields);
  }
}

// Rows of each message type, found by their call, field by field.
TEST(SampleFiles, EveryMessageTypeConverts) {
  const struct {
    const char* file;
    const char* lineStart;  // the record's first field and more
    std::vector<std::string> fields;
  } rows[] = {
      {"layout-a-40m.txt", "AJ8S/1,7.0401628", {"AJ8S/1", "7.0401628", "00:40:00", "", "-12", "33 dBm"}},
      {"layout-a-40m.txt", "AJ8S/1,7.0401629,01:42", {"AJ8S/1", "7.0401629", "01:42:00", "FN44MF", "-11", "33 dBm"}},
      {"layout-a-40m.txt", "N8AUM,", {"N8AUM", "7.0400802", "00:28:00", "EM70EM", "-13", "27 dBm"}},
      {"layout-a-40m.txt", "WA1RAJ,7.0400322,00:46", {"WA1RAJ", "7.0400322", "00:46:00", "FN42", "0", "37 dBm"}},
      {"layout-b-40m.txt", "AJ8S/1,7.0401630", {"AJ8S/1", "7.0401630", "01:42:00", "FN44MF", "-12", "33 dBm"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.lineStart);
    TempFolder folder;
    const OnceResult result = convertOnce(sample(row.file), folder.file("spots.log"));
    const std::string* found = nullptr;
    for (const std::string& line : result.lines) {
      if (line.rfind(row.lineStart, 0) == 0) {
        found = &line;
        break;
      }
    }
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(recordFields(*found), row.fields);
  }
}

TEST(SampleFiles, TheBandFilterKeepsOnlyItsBand) {
  TempFolder folder;
  const OnceResult forty = convertOnce(sample("layout-a-40m.txt"), folder.file("40.log"), {"--band", "40m"});
  EXPECT_EQ(forty.lines.size(), 433u);
  const OnceResult thirty = convertOnce(sample("layout-a-40m.txt"), folder.file("30.log"), {"--band", "30m"});
  EXPECT_EQ(thirty.lines, std::vector<std::string>{"Spots converted from layout-a-40m.txt"});
  EXPECT_NE(thirty.out.find("432 decodes outside 30m"), std::string::npos) << thirty.out;
}

TEST(SpotLog, IsAppendedToAndNeverGetsASecondHeading) {
  TempFolder folder;
  const std::string spotLog = folder.file("spots.log");
  // A log of the user's whose last line has no line end: the first record starts a new line.
  writeFile(spotLog, "My heading\r\nK1ABC,x,01:02:03,y,-5,z");
  const std::string source = folder.file("ALL_WSPR.TXT");
  writeFile(source, "200801 0018 -16  0.32   7.0400277  N8PK FM19 20  0\n");
  convertOnce(source, spotLog);
  EXPECT_EQ(readFile(spotLog),
            "My heading\r\nK1ABC,x,01:02:03,y,-5,z\r\nN8PK,7.0400277,00:18:00,FM19,-16,20 dBm\r\n");
  // Run again on the same files: the decode is there already.
  convertOnce(source, spotLog);
  EXPECT_EQ(spotLogLines(readFile(spotLog)).size(), 3u);
}

TEST(SpotLog, AnUnwritableLogIsAFailureWithOneLine) {
  TempFolder folder;
  const std::string source = folder.file("ALL_WSPR.TXT");
  writeFile(source, "200801 0018 -16  0.32   7.0400277  N8PK FM19 20  0\n");
  const OnceResult result = convertOnce(source, folder.file("no-such-folder/spots.log"));
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err.rfind("ferlang-feed: cannot write ", 0), 0u) << result.err;
  EXPECT_EQ(result.err.find('\n'), result.err.size() - 1);
  const OnceResult missing = convertOnce(folder.file("missing.txt"), folder.file("spots.log"));
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, "ferlang-feed: cannot open " + folder.file("missing.txt") + "\n");
}

// Binary bytes, very long lines and rows with missing columns between good rows: every bad
// line is skipped and counted, every good one converts.
TEST(MalformedFiles, AreSkippedLineByLine) {
  TempFolder folder;
  std::string text;
  const std::string good = "200801 0018 -16  0.32   7.0400277  N8PK FM19 20  0\n";
  std::mt19937 random(20200801);
  std::uniform_int_distribution<int> byte(0, 255);
  int bad = 0;
  for (int i = 0; i < 50; ++i) {
    text += good;
    std::string junk;
    switch (i % 5) {
      case 0:  // binary bytes, zero bytes and byte 26 included
        for (int j = 0; j < 200; ++j) {
          const char c = static_cast<char>(byte(random));
          if (c != '\n') junk += c;
        }
        junk += std::string(1, '\0') + "\x1a";
        break;
      case 1:  // a very long line
        junk = std::string(100000, 'A');
        break;
      case 2:  // missing columns
        junk = "200801 0018 -16  0.32   7.0400277";
        break;
      case 3:  // a good row cut short in its message
        junk = good.substr(0, 40);
        break;
      case 4:  // the right number of columns, all wrong
        junk = "a b c d e f g h i j k l";
        break;
    }
    text += junk + "\n";
    ++bad;
  }
  const std::string source = folder.file("ALL_WSPR.TXT");
  writeFile(source, text);
  const OnceResult result = convertOnce(source, folder.file("spots.log"));
  EXPECT_EQ(result.status, 0);
  ASSERT_EQ(result.lines.size(), 51u);
  for (size_t i = 1; i < result.lines.size(); ++i) {
    EXPECT_EQ(result.lines[i], "N8PK,7.0400277,00:18:00,FM19,-16,20 dBm");
  }
  EXPECT_NE(result.out.find("50 records written, " + std::to_string(bad) + " lines skipped"),
            std::string::npos)
      << result.out;
}

}  // namespace
}  // namespace feed
