// Decoder logs of every layout converted whole, and files no decoder would write.
#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
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

std::string sample(const char* name) {
  return std::string(FERLANG_DECODER_SAMPLES) + "/" + name;
}

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

constexpr const char* wsprLayout = "WSPR columns (ALL_WSPR.TXT)";

struct SampleFile {
  const char* name;
  size_t records;
  const char* counts;
  const char* layout;
};

const SampleFile sampleFiles[] = {
    {"wspr-layout-a-40m.txt", 28,
     "28 records written, 0 lines skipped (0 other modes, 0 own transmissions, 0 unreadable)",
     wsprLayout},
    {"wspr-layout-b-40m.txt", 22,
     "22 records written, 0 lines skipped (0 other modes, 0 own transmissions, 0 unreadable)",
     wsprLayout},
    // The last line has no line end; a one-time conversion takes it all the same.
    {"wspr-layout-c-20m.txt", 18,
     "18 records written, 0 lines skipped (0 other modes, 0 own transmissions, 0 unreadable)",
     wsprLayout},
    {"all-txt-dated-ft8-ft4.txt", 39,
     "39 records written, 14 lines skipped (3 other modes, 6 own transmissions, 0 unreadable); "
     "records by mode: WSPR 0, FT8 30, FT4 9; skipped besides: 3 marked low-confidence, 2 "
     "without a sender's call, 0 before a row giving their date or dial, 0 notes",
     "dated rows (ALL.TXT)"},
    {"all-txt-header-rows-ft8.txt", 16,
     "16 records written, 8 lines skipped (2 other modes, 3 own transmissions, 0 unreadable); "
     "records by mode: WSPR 0, FT8 16, FT4 0; skipped besides: 1 marked low-confidence, 1 "
     "without a sender's call, 1 before a row giving their date or dial, 0 notes",
     "rows under header rows (ALL.TXT of older versions)"},
    {"monthly-rows-ft8-ft4.txt", 14,
     "14 records written, 9 lines skipped (1 other modes, 3 own transmissions, 0 unreadable); "
     "records by mode: WSPR 0, FT8 9, FT4 5; skipped besides: 1 marked low-confidence, 1 "
     "without a sender's call, 1 before a row giving their date or dial, 2 notes",
     "monthly rows"},
};

TEST(SampleFiles, ConvertWholeWithTheRecordCountsTheirLinesGive) {
  for (const SampleFile& file : sampleFiles) {
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

// Every decoder log in the folder has its expectations above (and so converts cleanly).
TEST(SampleFiles, EveryFileInTheFolderIsChecked) {
  size_t logs = 0;
  for (const auto& entry : std::filesystem::directory_iterator(FERLANG_DECODER_SAMPLES)) {
    const std::string name = entry.path().filename().string();
    if (name == "README.md") continue;
    ++logs;
    bool listed = false;
    for (const SampleFile& file : sampleFiles) listed = listed || name == file.name;
    EXPECT_TRUE(listed) << name;
  }
  EXPECT_EQ(logs, std::size(sampleFiles));
}

// A few rows per layout, field by field, against the columns of the sample's own line.
TEST(SampleFiles, RecordsHoldTheirLinesColumns) {
  const struct {
    const char* file;
    size_t record;  // 1 = first record
    std::vector<std::string> fields;
  } rows[] = {
      {"wspr-layout-a-40m.txt", 1, {"XX9AB", "7.0401032", "02:00:00", "FK52", "-17", "23 dBm"}},
      {"wspr-layout-a-40m.txt", 4, {"<...>", "7.0400887", "02:00:00", "IO91WM", "-28", "23 dBm"}},
      {"wspr-layout-a-40m.txt", 28, {"<...>", "7.0401204", "02:14:00", "EM12QS", "-19", "13 dBm"}},
      {"wspr-layout-b-40m.txt", 1, {"ZZ2QX", "7.0400915", "23:54:00", "JN58", "-20", "37 dBm"}},
      // A sync of two digits and a positive SNR.
      {"wspr-layout-b-40m.txt", 4, {"KD0XRT", "7.0401790", "23:54:00", "EN34", "1", "30 dBm"}},
      // The first decode after midnight.
      {"wspr-layout-b-40m.txt", 11, {"ZZ2QX", "7.0400916", "00:00:00", "JN58", "-21", "37 dBm"}},
      {"wspr-layout-b-40m.txt", 22, {"ZS9KRM", "7.0400640", "00:06:00", "KG33", "-24", "27 dBm"}},
      {"wspr-layout-c-20m.txt", 1, {"XX9AB", "14.097083", "18:06:00", "FK52", "-21", "30 dBm"}},
      {"wspr-layout-c-20m.txt", 11, {"VE9QMP", "14.097037", "18:12:00", "FN65", "3", "23 dBm"}},
      // The line without a line end.
      {"wspr-layout-c-20m.txt", 18, {"OH0ZVK", "14.097128", "18:16:00", "KP20", "-10", "20 dBm"}},
      {"all-txt-dated-ft8-ft4.txt", 1, {"XX9AB", "14.075234", "14:30:00", "FK52", "-12", ""}},
      // The first FT4 decode: seconds of a 7.5 s period kept as written.
      {"all-txt-dated-ft8-ft4.txt", 22, {"XX9AB", "14.080800", "14:33:00", "FK52", "-4", ""}},
      {"all-txt-dated-ft8-ft4.txt", 39, {"KD0XRT", "7.075980", "00:00:45", "", "-20", ""}},
      {"all-txt-header-rows-ft8.txt", 1, {"ZZ2QX", "14.075234", "19:30:30", "JN58", "-8", ""}},
      {"all-txt-header-rows-ft8.txt", 12, {"KH0QRP", "7.074912", "00:00:00", "", "-12", ""}},
      {"all-txt-header-rows-ft8.txt", 16, {"VE9QMP", "7.075330", "00:11:00", "", "-9", ""}},
      {"monthly-rows-ft8-ft4.txt", 1, {"ZZ2QX", "18.101234", "06:15:00", "JN58", "-12", ""}},
      {"monthly-rows-ft8-ft4.txt", 10, {"VE9QMP", "18.104900", "06:20:07", "FN65", "-6", ""}},
      {"monthly-rows-ft8-ft4.txt", 14, {"KH0QRP", "18.106230", "06:20:45", "BK29", "-17", ""}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.file) + " record " + std::to_string(row.record));
    TempFolder folder;
    const OnceResult result = convertOnce(sample(row.file), folder.file("spots.log"));
    ASSERT_GT(result.lines.size(), row.record);
    EXPECT_EQ(recordFields(result.lines[row.record]), row.fields);
  }
}

// Rows of each message type, found by call, frequency and time, field by field.
TEST(SampleFiles, EveryMessageTypeConverts) {
  const struct {
    const char* file;
    const char* message;    // the message of the decoder's row
    const char* lineStart;  // the record's first fields
    std::vector<std::string> fields;
  } rows[] = {
      {"wspr-layout-a-40m.txt", "VE9QMP FN65 20", "VE9QMP,7.0400256,02:02",
       {"VE9QMP", "7.0400256", "02:02:00", "FN65", "-19", "20 dBm"}},
      {"wspr-layout-a-40m.txt", "XX9AB/1 33", "XX9AB/1,7.0401521,02:02",
       {"XX9AB/1", "7.0401521", "02:02:00", "", "-11", "33 dBm"}},
      {"wspr-layout-a-40m.txt", "PA9/ZZ2QX 37", "PA9/ZZ2QX,7.0400975,02:04",
       {"PA9/ZZ2QX", "7.0400975", "02:04:00", "", "-26", "37 dBm"}},
      {"wspr-layout-a-40m.txt", "<XX9AB/1> FN44MF 33", "XX9AB/1,7.0401523,02:04",
       {"XX9AB/1", "7.0401523", "02:04:00", "FN44MF", "-12", "33 dBm"}},
      {"wspr-layout-a-40m.txt", "<...> IO91WM 23", "<...>,7.0400888,02:08",
       {"<...>", "7.0400888", "02:08:00", "IO91WM", "-27", "23 dBm"}},
      {"wspr-layout-a-40m.txt", "KH0QRP BK29 0", "KH0QRP,7.0400550,02:06",
       {"KH0QRP", "7.0400550", "02:06:00", "BK29", "-5", "0 dBm"}},
      {"wspr-layout-a-40m.txt", "VK9NSF QF56 60", "VK9NSF,7.0401940,02:10",
       {"VK9NSF", "7.0401940", "02:10:00", "QF56", "-20", "60 dBm"}},
      {"wspr-layout-a-40m.txt", "OH0ZVK KP20 40 (SNR 0)", "OH0ZVK,7.0400612,02:02",
       {"OH0ZVK", "7.0400612", "02:02:00", "KP20", "0", "40 dBm"}},
      {"wspr-layout-b-40m.txt", "LU9FWQ GF05 50", "LU9FWQ,7.0401602,00:02",
       {"LU9FWQ", "7.0401602", "00:02:00", "GF05", "-9", "50 dBm"}},
      {"wspr-layout-b-40m.txt", "XX9AB/1 33", "XX9AB/1,7.0400304,23:56",
       {"XX9AB/1", "7.0400304", "23:56:00", "", "-18", "33 dBm"}},
      {"wspr-layout-b-40m.txt", "EA9/OH0ZVK 27", "EA9/OH0ZVK,7.0401355,23:58",
       {"EA9/OH0ZVK", "7.0401355", "23:58:00", "", "-31", "27 dBm"}},
      {"wspr-layout-b-40m.txt", "<EA9/OH0ZVK> IM75QA 27", "EA9/OH0ZVK,7.0400462,00:00",
       {"EA9/OH0ZVK", "7.0400462", "00:00:00", "IM75QA", "-27", "27 dBm"}},
      {"wspr-layout-b-40m.txt", "<...> JO65AB 30", "<...>,7.0400129,00:02",
       {"<...>", "7.0400129", "00:02:00", "JO65AB", "-28", "30 dBm"}},
      {"wspr-layout-c-20m.txt", "KD0XRT EN34 40", "KD0XRT,14.097180,18:08",
       {"KD0XRT", "14.097180", "18:08:00", "EN34", "-16", "40 dBm"}},
      {"wspr-layout-c-20m.txt", "ZZ2QX/P 33", "ZZ2QX/P,14.097112,18:08",
       {"ZZ2QX/P", "14.097112", "18:08:00", "", "-24", "33 dBm"}},
      {"wspr-layout-c-20m.txt", "<ZZ2QX/P> JN58TD 33", "ZZ2QX/P,14.097113,18:10",
       {"ZZ2QX/P", "14.097113", "18:10:00", "JN58TD", "-25", "33 dBm"}},
      {"wspr-layout-c-20m.txt", "<...> QF22LT 37", "<...>,14.097008,18:08",
       {"<...>", "14.097008", "18:08:00", "QF22LT", "-30", "37 dBm"}},
      // FT8 and FT4: the sender, and its grid when the message gives one.
      {"all-txt-dated-ft8-ft4.txt", "CQ DX ZZ2QX JN58", "ZZ2QX,14.074645,14:30:00",
       {"ZZ2QX", "14.074645", "14:30:00", "JN58", "-7", ""}},
      {"all-txt-dated-ft8-ft4.txt", "KD0XRT VE9QMP FN65", "VE9QMP,14.075877,14:30:00",
       {"VE9QMP", "14.075877", "14:30:00", "FN65", "3", ""}},
      {"all-txt-dated-ft8-ft4.txt", "CQ POTA KD0XRT EN34", "KD0XRT,14.074402,14:30:00",
       {"KD0XRT", "14.074402", "14:30:00", "EN34", "-19", ""}},
      {"all-txt-dated-ft8-ft4.txt", "OH0ZVK <...> -12", "<...>,14.074981,14:30:15",
       {"<...>", "14.074981", "14:30:15", "", "-15", ""}},
      {"all-txt-dated-ft8-ft4.txt", "VE9QMP KD0XRT -08", "KD0XRT,14.075520,14:30:15",
       {"KD0XRT", "14.075520", "14:30:15", "", "-10", ""}},
      {"all-txt-dated-ft8-ft4.txt", "OH0ZVK XX9AB R-11", "XX9AB,14.075234,14:30:30",
       {"XX9AB", "14.075234", "14:30:30", "", "-9", ""}},
      {"all-txt-dated-ft8-ft4.txt", "ZZ2QX LU9FWQ GF05 a1", "LU9FWQ,14.076030,14:30:30",
       {"LU9FWQ", "14.076030", "14:30:30", "GF05", "-17", ""}},
      {"all-txt-dated-ft8-ft4.txt", "VE9QMP KD0XRT RRR", "KD0XRT,14.075520,14:30:45",
       {"KD0XRT", "14.075520", "14:30:45", "", "-11", ""}},
      {"all-txt-dated-ft8-ft4.txt", "ZZ2QX LU9FWQ R GF05", "LU9FWQ,14.074760,14:30:45",
       {"LU9FWQ", "14.074760", "14:30:45", "GF05", "-24", ""}},
      {"all-txt-dated-ft8-ft4.txt", "QRZ JA9TWO PM95", "JA9TWO,14.074315,14:30:45",
       {"JA9TWO", "14.074315", "14:30:45", "PM95", "-13", ""}},
      {"all-txt-dated-ft8-ft4.txt", "OH0ZVK XX9AB 73", "XX9AB,14.075234,14:31:00",
       {"XX9AB", "14.075234", "14:31:00", "", "-8", ""}},
      {"all-txt-dated-ft8-ft4.txt", "CQ PA9/ZZ2QX", "PA9/ZZ2QX,14.075101,14:31:00",
       {"PA9/ZZ2QX", "14.075101", "14:31:00", "", "-16", ""}},
      {"all-txt-dated-ft8-ft4.txt", "KD0XRT VE9QMP RR73", "VE9QMP,14.075877,14:31:00",
       {"VE9QMP", "14.075877", "14:31:00", "", "-5", ""}},
      {"all-txt-dated-ft8-ft4.txt", "<PA9/ZZ2QX> ZS9KRM KG33", "ZS9KRM,14.075412,14:31:00",
       {"ZS9KRM", "14.075412", "14:31:00", "KG33", "-12", ""}},
      {"all-txt-dated-ft8-ft4.txt", "ZS9KRM <PA9/ZZ2QX> -09", "PA9/ZZ2QX,14.075101,14:31:15",
       {"PA9/ZZ2QX", "14.075101", "14:31:15", "", "-14", ""}},
      {"all-txt-dated-ft8-ft4.txt", "CQ NA VE9QMP FN65", "VE9QMP,14.074556,14:31:15",
       {"VE9QMP", "14.074556", "14:31:15", "FN65", "-2", ""}},
      {"all-txt-dated-ft8-ft4.txt", "KD0XRT RR73; VE9QMP <KH0QRP> -10",
       "KH0QRP,14.076890,14:31:30", {"KH0QRP", "14.076890", "14:31:30", "", "-11", ""}},
      {"all-txt-dated-ft8-ft4.txt", "ZZ2QX XX9AB/P R-04", "XX9AB/P,14.075750,14:31:30",
       {"XX9AB/P", "14.075750", "14:31:30", "", "-3", ""}},
      {"all-txt-dated-ft8-ft4.txt", "CQ RU VE9QMP FN65 (FT4)", "VE9QMP,14.081350,14:33:00",
       {"VE9QMP", "14.081350", "14:33:00", "FN65", "-10", ""}},
      {"all-txt-dated-ft8-ft4.txt", "OH0ZVK XX9AB R 579 0017 (FT4)", "XX9AB,14.080800,14:33:15",
       {"XX9AB", "14.080800", "14:33:15", "", "-6", ""}},
      {"all-txt-dated-ft8-ft4.txt", "KD0XRT VE9QMP -03 (FT4)", "VE9QMP,14.081350,14:33:30",
       {"VE9QMP", "14.081350", "14:33:30", "", "1", ""}},
      {"all-txt-dated-ft8-ft4.txt", "TU; KD0XRT VE9QMP 579 0233 (FT4)",
       "VE9QMP,14.081900,14:33:37", {"VE9QMP", "14.081900", "14:33:37", "", "-15", ""}},
      {"all-txt-dated-ft8-ft4.txt", "<...> JA9TWO PM95 (FT4)", "JA9TWO,14.081990,14:33:45",
       {"JA9TWO", "14.081990", "14:33:45", "PM95", "-13", ""}},
      {"all-txt-dated-ft8-ft4.txt", "CQ FD KD0XRT EN34", "KD0XRT,7.076105,23:59:45",
       {"KD0XRT", "7.076105", "23:59:45", "EN34", "-17", ""}},
      {"all-txt-dated-ft8-ft4.txt", "DE VK9NSF QF56", "VK9NSF,7.074330,00:00:15",
       {"VK9NSF", "7.074330", "00:00:15", "QF56", "-25", ""}},
      {"all-txt-dated-ft8-ft4.txt", "KH0QRP KD0XRT 2A EMA", "KD0XRT,7.075980,00:00:45",
       {"KD0XRT", "7.075980", "00:00:45", "", "-20", ""}},
      {"all-txt-header-rows-ft8.txt", "VE9QMP KD0XRT EN34", "KD0XRT,14.074655,19:30:30",
       {"KD0XRT", "14.074655", "19:30:30", "EN34", "-15", ""}},
      {"all-txt-header-rows-ft8.txt", "<...> JA9TWO PM95", "JA9TWO,14.076210,19:31:45",
       {"JA9TWO", "14.076210", "19:31:45", "PM95", "-20", ""}},
      {"all-txt-header-rows-ft8.txt", "CQ DX PA9/ZZ2QX", "PA9/ZZ2QX,14.074470,19:31:45",
       {"PA9/ZZ2QX", "14.074470", "19:31:45", "", "-11", ""}},
      {"all-txt-header-rows-ft8.txt", "CQ NA VE9QMP FN65 (2018-Jul-04)",
       "VE9QMP,7.075330,00:10:15", {"VE9QMP", "7.075330", "00:10:15", "FN65", "-7", ""}},
      {"all-txt-header-rows-ft8.txt", "VE9QMP <XX9AB/P> FK52", "XX9AB/P,7.074604,00:10:30",
       {"XX9AB/P", "7.074604", "00:10:30", "FK52", "-19", ""}},
      {"monthly-rows-ft8-ft4.txt", "CQ DX VK9NSF QF56", "VK9NSF,18.102071,06:15:00",
       {"VK9NSF", "18.102071", "06:15:00", "QF56", "-6", ""}},
      {"monthly-rows-ft8-ft4.txt", "JA9TWO KD0XRT EN34 (no mark)", "KD0XRT,18.100840,06:15:00",
       {"KD0XRT", "18.100840", "06:15:00", "EN34", "2", ""}},
      {"monthly-rows-ft8-ft4.txt", "TU; LU9FWQ ZS9KRM 599 033", "ZS9KRM,18.101975,06:15:45",
       {"ZS9KRM", "18.101975", "06:15:45", "", "-14", ""}},
      {"monthly-rows-ft8-ft4.txt", "<...> PA9/ZZ2QX", "PA9/ZZ2QX,18.100460,06:16:00",
       {"PA9/ZZ2QX", "18.100460", "06:16:00", "", "-21", ""}},
      {"monthly-rows-ft8-ft4.txt", "KH0QRP <EA9/OH0ZVK> R-09 (FT4)",
       "EA9/OH0ZVK,18.105560,06:20:07", {"EA9/OH0ZVK", "18.105560", "06:20:07", "", "-13", ""}},
      {"monthly-rows-ft8-ft4.txt", "OH0ZVK VE9QMP RR73 (FT4)", "VE9QMP,18.104900,06:20:37",
       {"VE9QMP", "18.104900", "06:20:37", "", "-8", ""}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.file) + ": " + row.message);
    TempFolder folder;
    const OnceResult result = convertOnce(sample(row.file), folder.file("spots.log"));
    std::vector<const std::string*> found;
    for (const std::string& line : result.lines) {
      if (line.rfind(row.lineStart, 0) == 0) found.push_back(&line);
    }
    ASSERT_EQ(found.size(), 1u) << row.lineStart;
    EXPECT_EQ(recordFields(*found[0]), row.fields);
  }
}

// Every record's frequency, so that a filter that kept the wrong decodes would show.
std::vector<std::string> frequenciesOf(const std::vector<std::string>& lines) {
  std::vector<std::string> frequencies;
  for (size_t i = 1; i < lines.size(); ++i) frequencies.push_back(recordFields(lines[i]).at(1));
  return frequencies;
}

TEST(SampleFiles, TheBandFilterKeepsOnlyItsBand) {
  TempFolder folder;
  const std::string wspr = sample("wspr-layout-a-40m.txt");
  const OnceResult forty = convertOnce(wspr, folder.file("40.log"), {"--band", "40m"});
  EXPECT_EQ(forty.lines.size(), 29u);
  const OnceResult thirty = convertOnce(wspr, folder.file("30.log"), {"--band", "30m"});
  EXPECT_EQ(thirty.lines, std::vector<std::string>{"Spots converted from wspr-layout-a-40m.txt"});
  EXPECT_NE(thirty.out.find("28 decodes outside 30m"), std::string::npos) << thirty.out;
  // The dated log changes its dial from 20 m to 40 m at midnight.
  const std::string dated = sample("all-txt-dated-ft8-ft4.txt");
  const OnceResult night = convertOnce(dated, folder.file("night.log"), {"--band", "40m"});
  EXPECT_EQ(frequenciesOf(night.lines),
            (std::vector<std::string>{"7.075644", "7.074900", "7.076105", "7.075644", "7.074900",
                                      "7.074330", "7.075644", "7.074900", "7.075980"}));
  EXPECT_NE(night.out.find("30 decodes outside 40m"), std::string::npos) << night.out;
}

TEST(SampleFiles, TheModeFilterKeepsOnlyItsMode) {
  TempFolder folder;
  const OnceResult ft4 = convertOnce(sample("all-txt-dated-ft8-ft4.txt"), folder.file("ft4.log"),
                                     {"--mode", "FT4"});
  EXPECT_EQ(frequenciesOf(ft4.lines),
            (std::vector<std::string>{"14.080800", "14.081350", "14.080800", "14.080800",
                                      "14.081350", "14.081900", "14.081990", "14.080420",
                                      "14.080420"}));
  EXPECT_NE(ft4.out.find("records by mode: WSPR 0, FT8 0, FT4 9"), std::string::npos) << ft4.out;
  EXPECT_NE(ft4.out.find("30 decodes of other modes"), std::string::npos) << ft4.out;
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
