// A run of the feed that continues the last one: the state file read back, and the situations
// a kill or a stopped feed leaves behind, each converted with --once and compared record by
// record.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "feed/feed_run.h"
#include "feed/kept_records.h"
#include "feed/resume_state.h"
#include "feed/spot_record.h"
#include "tests/unit/feed/feed_test_support.h"

namespace feed {
namespace {

using testing::appendFile;
using testing::readFile;
using testing::spotLogLines;
using testing::TempFolder;
using testing::writeFile;

ResumeState sampleState() {
  ResumeState state;
  state.source = {
      true, true, {2049, 1234567}, 8123, "2008010018 -16\n", std::string("\0\r\xff", 3)};
  state.partialLine = "200801 0020 -1";
  state.converter = {26'000'000,
                     {"K1ABC,7.04,00:18:00,FN42,-5,37 dBm", "N8PK,7.04,00:18:00,,1,2 dBm"},
                     true,
                     25'999'990,
                     {"W1AW,7.04,00:10:00,FN31,3,30 dBm"},
                     {true, 2017, 9, 23, true, 7'074'000, "JT9+JT65"}};
  state.spotLogIdentity = {2049, 7654321};
  state.spotLogBytes = 40960;
  state.keptRuns = {{25'999'990, 12}, {26'000'000, 1}};
  return state;
}

TEST(ResumeState, ReadsBackWhatWasWritten) {
  const ResumeState state = sampleState();
  const std::optional<ResumeState> read = parseResumeState(formatResumeState(state));
  ASSERT_TRUE(read);
  EXPECT_EQ(formatResumeState(*read), formatResumeState(state));
  EXPECT_EQ(read->source.lastBytes, state.source.lastBytes);
  EXPECT_EQ(read->converter.newestRecords, state.converter.newestRecords);
  EXPECT_EQ(read->keptRuns, state.keptRuns);
}

TEST(ResumeState, AnythingButAWholeStateIsRefused) {
  const std::string whole = formatResumeState(sampleState());
  std::vector<std::string> broken = {"",
                                     "ferlang-feed state 2\n" + whole.substr(whole.find('\n') + 1)};
  // Cut short anywhere, as a disk that lost the last write would leave it.
  for (size_t size = 0; size < whole.size(); size += 7) broken.push_back(whole.substr(0, size));
  for (const auto& [from, to] :
       std::vector<std::pair<std::string, std::string>>{{"source 1 1", "source 2 1"},
                                                        {"8123", "-8123"},
                                                        {"partial 0 ", "partial 0 0"},
                                                        {"kept 25999990 12", "kept 25999990 0"},
                                                        {"40960", "40960x"}}) {
    std::string text = whole;
    text.replace(text.find(from), from.size(), to);
    broken.push_back(text);
  }
  for (const std::string& text : broken) EXPECT_FALSE(parseResumeState(text)) << text;
}

std::string decode(int minute, const std::string& call) {
  return "200801 00" + std::string(minute < 10 ? "0" : "") + std::to_string(minute) +
         " -16  0.32   7.0400277  " + call + " FM19 20  0\n";
}

std::string record(int minute, const std::string& call) {
  return call + ",7.0400277,00:" + std::string(minute < 10 ? "0" : "") + std::to_string(minute) +
         ":00,FM19,-16,20 dBm\r\n";
}

class ResumedRun : public ::testing::Test {
 protected:
  int once(std::vector<std::string> extra = {}) {
    std::vector<std::string> arguments = {"--once", source, spotLog};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    std::ostringstream out, err;
    const int status = runFeed(parseOptions(arguments).options, out, err);
    EXPECT_EQ(err.str(), "");
    return status;
  }

  std::string heading() const { return spotLogHeading(source); }

  TempFolder folder;
  const std::string source = folder.file("ALL_WSPR.TXT");
  const std::string spotLog = folder.file("spots.log");
};

TEST_F(ResumedRun, WritesOnlyWhatIsNewAndAllAgainWithFromStart) {
  writeFile(source, decode(1, "K1AAA") + decode(2, "K1BBB"));
  ASSERT_EQ(once(), 0);
  appendFile(source, decode(3, "K1CCC"));
  ASSERT_EQ(once(), 0);
  ASSERT_EQ(once(), 0);
  const std::string three = record(1, "K1AAA") + record(2, "K1BBB") + record(3, "K1CCC");
  EXPECT_EQ(readFile(spotLog), heading() + three);
  ASSERT_EQ(once({"--from-start"}), 0);
  EXPECT_EQ(readFile(spotLog), heading() + three + three);
}

// Records appended after the last commit, as a kill right after a write leaves them (and
// one cut short in the middle of its write): found again, neither doubled nor lost.
TEST_F(ResumedRun, FindsTheRecordsOfTheTailAgainAndCompletesACutShortOne) {
  writeFile(source, decode(1, "K1AAA"));
  ASSERT_EQ(once(), 0);
  const std::string committed = readFile(spotLog);
  for (const std::string& tail :
       {record(2, "K1BBB"), record(2, "K1BBB") + record(3, "K1CCC").substr(0, 9),
        std::string("K1B")}) {
    SCOPED_TRACE(tail);
    const std::string state = readFile(resumeStatePath(spotLog));
    writeFile(spotLog, committed);
    writeFile(source, decode(1, "K1AAA") + decode(2, "K1BBB") + decode(3, "K1CCC"));
    appendFile(spotLog, tail);
    ASSERT_EQ(once(), 0);
    EXPECT_EQ(readFile(spotLog), committed + record(2, "K1BBB") + record(3, "K1CCC"));
    // Back to the state of the first run for the next case.
    writeFile(resumeStatePath(spotLog), state);
    writeFile(source, decode(1, "K1AAA"));
  }
}

TEST_F(ResumedRun, ADecoderLogReplacedOrCutShortWhileStoppedIsReadFromItsStart) {
  for (const bool replaced : {false, true}) {
    SCOPED_TRACE(replaced ? "replaced" : "cut short");
    std::filesystem::remove(spotLog);
    std::filesystem::remove(resumeStatePath(spotLog));
    writeFile(source, decode(1, "K1AAA") + decode(2, "K1BBB") + decode(3, "K1CCC"));
    ASSERT_EQ(once(), 0);
    // The new file holds the old minute's decode again and newer ones, and is longer than
    // what was read, so only its first bytes tell it from the old file.
    const std::string next =
        decode(3, "K1CCC") + decode(3, "K1DDD") + decode(4, "K1EEE") + decode(5, "K1FFF");
    if (replaced) {
      writeFile(folder.file("next.txt"), next);
      std::filesystem::rename(folder.file("next.txt"), source);
    } else {
      writeFile(source, next);
    }
    ASSERT_EQ(once(), 0);
    EXPECT_EQ(readFile(spotLog), heading() + record(1, "K1AAA") + record(2, "K1BBB") +
                                     record(3, "K1CCC") + record(3, "K1DDD") + record(4, "K1EEE") +
                                     record(5, "K1FFF"));
  }
}

// A spot log that is not the one the state describes (removed, or emptied by its owner) is
// written from the decoder log's start, as on a first run.
TEST_F(ResumedRun, AStateOfAnotherSpotLogIsNotUsed) {
  writeFile(source, decode(1, "K1AAA"));
  ASSERT_EQ(once(), 0);
  std::filesystem::remove(spotLog);
  ASSERT_EQ(once(), 0);
  EXPECT_EQ(readFile(spotLog), heading() + record(1, "K1AAA"));
  writeFile(spotLog, "");
  ASSERT_EQ(once(), 0);
  EXPECT_EQ(readFile(spotLog), heading() + record(1, "K1AAA"));
}

// --keep-hours: a kill between the commit that names the new file and its rename leaves the
// new file beside the spot log; the next run puts it in place and goes on from there.
TEST_F(ResumedRun, AReplacementCutShortByAKillIsCompleted) {
  writeFile(source, decode(1, "K1AAA") + decode(2, "K1BBB"));
  ASSERT_EQ(once({"--keep-hours", "100000"}), 0);
  const std::string replacement = replacementPath(spotLog);
  std::filesystem::copy_file(spotLog, replacement);
  std::optional<ResumeState> state = loadResumeState(resumeStatePath(spotLog));
  ASSERT_TRUE(state);
  state->spotLogIdentity = *identityOf(replacement);
  std::string error;
  ASSERT_TRUE(saveResumeState(resumeStatePath(spotLog), *state, error)) << error;
  writeFile(spotLog, heading() + "stale\r\n");
  appendFile(source, decode(3, "K1CCC"));
  ASSERT_EQ(once({"--keep-hours", "100000"}), 0);
  EXPECT_EQ(readFile(spotLog),
            heading() + record(1, "K1AAA") + record(2, "K1BBB") + record(3, "K1CCC"));
  EXPECT_FALSE(std::filesystem::exists(replacement));
}

}  // namespace
}  // namespace feed
