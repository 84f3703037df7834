// The real spot log (17 397 spots received on 30 m in 2020) read as the application reads it:
// one heading field discarded, then six fields per record while the end test is false.
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

TEST_F(CorpusTest, TheRealLogReadsWithoutErrorRecordByRecord) {
  uint32_t error = 0;
  const std::vector<Spot> spots = readSpotLog(corpus, error);
  EXPECT_EQ(error, 0u);
  ASSERT_EQ(spots.size(), 17397u);
  const std::pair<size_t, Spot> checks[] = {
      {0, {"KD6RF", "10.1401994", "21:16:00", "EM22", -19, "37 dBm"}},
      {1, {"AB8FJ", "10.1402248", "21:18:00", "EM79", -23, "23 dBm"}},
      {8698, {"KR4VJ", "10.1401810", "14:36:00", "EM66", -15, "37 dBm"}},
      {17396, {"K1BZ", "10.1402276", "20:20:00", "FM19", -23, "30 dBm"}},
  };
  for (const auto& [index, spot] : checks) EXPECT_EQ(spots[index], spot) << "record " << index;

  std::set<std::string> calls;
  int lowest = 0, highest = -100;
  bool compoundWithoutGrid = false;
  for (const Spot& s : spots) {
    calls.insert(s.call);
    lowest = std::min(lowest, s.snr);
    highest = std::max(highest, s.snr);
    compoundWithoutGrid |= s.call == "1W5/8S8CDB" && s.grid.empty();
  }
  EXPECT_EQ(calls.size(), 228u);
  EXPECT_EQ(lowest, -34);
  EXPECT_EQ(highest, 9);
  EXPECT_TRUE(compoundWithoutGrid);
}

TEST_F(CorpusTest, TheRealLogReadsTheSameThroughBlocksOfAnySize) {
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
