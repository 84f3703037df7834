// The demo spot log (3 464 spots of a made-up day on 30 m, tools/demo_log) read as the
// application reads it: one heading field discarded, then six fields per record while the end
// test is false; and the sample settings beside it watch calls that the log has all day.
#include <filesystem>
#include <set>

#include "runtime/files/field_input.h"
#include "tests/unit/files/file_test_support.h"

namespace rt {
namespace {

using testing::FilesTest;
using testing::openForInput;
using testing::takeError;

struct Spot {
  std::string call, frequency, time, grid;
  int snr = 0;
  std::string power;
  bool operator==(const Spot&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Spot& s) {
  return out << s.call << "," << s.frequency << "," << s.time << "," << s.grid << "," << s.snr
             << "," << s.power;
}

// Reads every record of `path`; stops at the first error, which is returned in `error`.
std::vector<Spot> readSpotLog(const std::string& path, uint32_t& error) {
  std::vector<Spot> spots;
  error = openForInput(path);
  if (error != 0) return spots;
  std::string heading;
  inputStringField(1, heading);
  endInputList();
  while ((error = takeError()) == 0 && atEndOfFile(1) == 0) {
    Spot spot;
    inputStringField(1, spot.call);
    inputStringField(1, spot.frequency);
    inputStringField(1, spot.time);
    inputStringField(1, spot.grid);
    spot.snr = static_cast<int>(inputNumberField(1, kSigned16Field));
    inputStringField(1, spot.power);
    endInputList();
    spots.push_back(spot);
  }
  closeFile(1);
  return spots;
}

class CorpusTest : public FilesTest {
 protected:
  const std::string corpus = FERLANG_CORPUS_FILE;
  void SetUp() override {
    FilesTest::SetUp();
    ASSERT_TRUE(std::filesystem::exists(corpus)) << corpus;
  }
};

TEST_F(CorpusTest, TheDemoLogReadsWithoutErrorRecordByRecord) {
  uint32_t error = 0;
  const std::vector<Spot> spots = readSpotLog(corpus, error);
  EXPECT_EQ(error, 0u);
  ASSERT_EQ(spots.size(), 3464u);
  const std::pair<size_t, Spot> checks[] = {
      {0, {"EA8/DL2RSN", "10.1401919", "00:00:00", "", -6, "37 dBm"}},
      {1, {"TF3MBK", "10.1401508", "00:00:00", "HP94", -14, "30 dBm"}},
      {1732, {"YO9CRB", "10.1402178", "13:26:00", "KN34", -14, "30 dBm"}},
      {3463, {"ZS6BWT", "10.1401500", "23:58:00", "KG44", -23, "37 dBm"}},
  };
  for (const auto& [index, spot] : checks) EXPECT_EQ(spots[index], spot) << "record " << index;

  std::set<std::string> calls;
  int lowest = 0, highest = -100;
  bool unresolvedWithLocator = false;
  for (const Spot& s : spots) {
    calls.insert(s.call);
    lowest = std::min(lowest, s.snr);
    highest = std::max(highest, s.snr);
    unresolvedWithLocator |= s.call == "<...>" && s.grid.size() == 6;
  }
  EXPECT_EQ(calls.size(), 58u);
  EXPECT_EQ(lowest, -33);
  EXPECT_EQ(highest, 15);
  EXPECT_TRUE(unresolvedWithLocator);
}

// The sample settings' six calls, each heard in at least 12 different hours of the demo day, so
// that a first start shows six coloured lines across the chart.
TEST_F(CorpusTest, TheSampleSettingsWatchCallsTheDemoLogHasAllDay) {
  const std::string settings =
      std::filesystem::path(corpus).replace_filename("Ferlang.SET").string();
  ASSERT_EQ(openForInput(settings), 0u);
  std::string logName, call;
  inputStringField(1, logName);
  std::vector<std::string> watched;
  for (int i = 0; i < 6; ++i) {
    inputStringField(1, call);
    watched.push_back(call);
  }
  endInputList();
  closeFile(1);
  EXPECT_EQ(takeError(), 0u);
  EXPECT_EQ(logName, std::filesystem::path(corpus).filename().string());

  uint32_t error = 0;
  const std::vector<Spot> spots = readSpotLog(corpus, error);
  for (const std::string& w : watched) {
    std::set<std::string> hours;
    for (const Spot& s : spots) {
      if (s.call == w) hours.insert(s.time.substr(0, 2));
    }
    EXPECT_GE(hours.size(), 12u) << w;
  }
}

TEST_F(CorpusTest, TheDemoLogReadsTheSameThroughBlocksOfAnySize) {
  uint32_t error = 0;
  const std::vector<Spot> expected = readSpotLog(corpus, error);
  for (int64_t blockBytes : {61, 4096, 1 << 20}) {
    fileTable().setReadBufferBytes(blockBytes);
    EXPECT_EQ(readSpotLog(corpus, error), expected) << blockBytes;
    EXPECT_EQ(error, 0u);
  }
}

TEST_F(CorpusTest, ARecordCutShortByTheEndOfTheFileRaises62AtItsMissingField) {
  std::string log = "heading\r\nQQ1AAA,10.14,09:47:30,EM22,-12,37 dBm\r\nQQ1BBB,10.14,23:59";
  uint32_t error = 0;
  const std::vector<Spot> spots = readSpotLog(folder.write("cut.log", log), error);
  EXPECT_EQ(error, 62u);
  ASSERT_EQ(spots.size(), 2u);
  EXPECT_EQ(spots[1].call, "QQ1BBB");
  EXPECT_EQ(spots[1].time, "23:59");
  EXPECT_EQ(spots[1].grid, "");
}

}  // namespace
}  // namespace rt
