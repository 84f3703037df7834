// --keep-hours: the window of records kept, the spot log streamed into its replacement, and
// the replacement renamed over it while a reader reads it in a loop.
#include "feed/kept_records.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "feed/files.h"
#include "feed/spot_record.h"
#include "tests/unit/feed/feed_test_support.h"

namespace feed {
namespace {

using testing::appendFile;
using testing::readFile;
using testing::spotLogLines;
using testing::TempFolder;
using testing::writeFile;

constexpr int64_t day = 1440;
const int64_t start = 26'000'000;  // minutes since 1970: an evening in June 2019
const std::string heading = spotLogHeading("ALL_WSPR.TXT");

std::string recordAt(int64_t minutes) {
  return "K1ABC,7.04,00:00:00,FN42," + std::to_string(minutes % 100) + ",37 dBm\r\n";
}

// A spot log the feed wrote: heading, then a record per minute in `minutes`, remembered.
std::string writeSpotLog(const std::string& path, KeptRecords& kept,
                         const std::vector<int64_t>& minutes) {
  std::string content(heading);
  for (int64_t m : minutes) {
    content += recordAt(m);
    kept.add(m);
  }
  writeFile(path, content);
  return content;
}

bool replace(KeptRecords& kept, const std::string& spotLog, int64_t now,
             const KeptRecords::BeforeRename& beforeRename = {}) {
  std::string error;
  const bool replaced = kept.replaceSpotLog(spotLog, spotLog, now, beforeRename, error);
  EXPECT_EQ(replaced, error.empty()) << error;
  return replaced;
}

TEST(KeptRecords, KeepTheLastHoursEndingAtTheNewestDecode) {
  TempFolder folder;
  const std::string spotLog = folder.file("spots.log");
  KeptRecords kept(24, heading);
  // Every 30 minutes over two days, read from an old file (the clock is much later).
  std::vector<int64_t> minutes;
  for (int64_t m = start; m <= start + 2 * day; m += 30) minutes.push_back(m);
  writeSpotLog(spotLog, kept, minutes);
  const int64_t now = start + 400 * day;
  EXPECT_EQ(kept.outsideWindow(now), 48);
  ASSERT_TRUE(replace(kept, spotLog, now));
  std::string expected(heading);
  for (int64_t m = start + day; m <= start + 2 * day; m += 30) expected += recordAt(m);
  EXPECT_EQ(readFile(spotLog), expected);
  EXPECT_EQ(kept.size(), 49);
  EXPECT_EQ(kept.outsideWindow(now), 0);
  EXPECT_FALSE(std::filesystem::exists(replacementPath(spotLog)));
}

TEST(KeptRecords, NothingNewerThanTheWindowBeforeNowIsDropped) {
  TempFolder folder;
  const std::string spotLog = folder.file("spots.log");
  KeptRecords kept(2, heading);
  // A decoder clock running a day ahead: the window ends at the clock, not at the decodes.
  const int64_t now = start;
  writeSpotLog(spotLog, kept, {now - 119, now - 121, now + day, now - 60});
  EXPECT_EQ(kept.outsideWindow(now), 1);
  EXPECT_EQ(kept.outsideWindow(now + 60), 2);
  ASSERT_TRUE(replace(kept, spotLog, now + 60));
  EXPECT_EQ(readFile(spotLog),
            heading + recordAt(now + day) + recordAt(now - 60));
  // The minutes follow the lines that stayed: a later replacement drops the right one.
  appendFile(spotLog, recordAt(now + 100));
  kept.add(now + 100);
  ASSERT_TRUE(replace(kept, spotLog, now + 150));
  EXPECT_EQ(readFile(spotLog),
            heading + recordAt(now + day) + recordAt(now + 100));
}

TEST(KeptRecords, LinesTheFeedDidNotWriteAndACutShortLastLineAreNotKept) {
  TempFolder folder;
  const std::string spotLog = folder.file("spots.log");
  KeptRecords kept(24, heading);
  const std::string written = writeSpotLog(spotLog, kept, {start, start + 1});
  appendFile(spotLog, "W9XYZ,7.04,01:00:00,EN50,-3,30 dBm\r\nK1A");
  ASSERT_TRUE(replace(kept, spotLog, start + 2));
  EXPECT_EQ(readFile(spotLog), written);
}

TEST(KeptRecords, RunsOfOneMinuteStaySmallWhateverTheWindowHolds) {
  KeptRecords kept(100000, heading);
  for (int64_t i = 0; i < 1'000'000; ++i) kept.add(start + i / 100);
  EXPECT_EQ(kept.size(), 1'000'000);
  EXPECT_EQ(kept.runs().size(), 10'000u);
  EXPECT_EQ(kept.runs().front(), (MinuteRun{start, 100}));
}

TEST(KeptRecords, AFailureLeavesTheSpotLogAsItWas) {
  TempFolder folder;
  const std::string spotLog = folder.file("spots.log");
  KeptRecords kept(1, heading);
  const std::string written = writeSpotLog(spotLog, kept, {start - 600, start});
  std::string error;
  EXPECT_FALSE(kept.replaceSpotLog(spotLog, folder.file("missing/spots.log"), start, {}, error));
  EXPECT_FALSE(error.empty());
  // Refused before the rename: the new file goes, the spot log and the minutes stay.
  int64_t toldBytes = 0;
  EXPECT_FALSE(replace(
      kept, spotLog, start,
      [&](const std::string& path, FileIdentity identity, int64_t bytes, std::string& reason) {
        EXPECT_EQ(identityOf(path), identity);
        // The state written here describes the new file: its minutes.
        EXPECT_EQ(kept.runs(), (std::vector<MinuteRun>{{start, 1}}));
        toldBytes = bytes;
        reason = "refused";
        return false;
      }));
  EXPECT_EQ(toldBytes, static_cast<int64_t>(heading.size() + recordAt(start).size()));
  EXPECT_EQ(readFile(spotLog), written);
  EXPECT_FALSE(std::filesystem::exists(replacementPath(spotLog)));
  EXPECT_EQ(kept.size(), 2);
}

// A reader opening and reading the log in a loop while it grows and is replaced again and
// again sees a heading line and whole records every time.
TEST(KeptRecords, AReaderSeesTheOldOrTheNewFileWholeNeverAMix) {
  TempFolder folder;
  const std::string spotLog = folder.file("spots.log");
  writeFile(spotLog, heading);
  std::atomic<bool> done{false};
  std::atomic<int> reads{0}, badReads{0};
  std::string firstBad;
  std::thread reader([&] {
    while (!done.load()) {
      const std::optional<std::string> text = readFileFrom(spotLog);
      if (!text) continue;
      const std::vector<std::string> lines = spotLogLines(*text);
      bool whole = !lines.empty() && lines[0] + "\r\n" == heading && text->size() >= 2 &&
                   text->substr(text->size() - 2) == "\r\n";
      for (size_t i = 1; i < lines.size() && whole; ++i) {
        const std::string_view line = withoutPadding(lines[i]);
        whole = line.rfind("K1ABC,7.04,00:00:00,FN42,", 0) == 0 && line.size() > 7 &&
                line.substr(line.size() - 7) == ",37 dBm";
      }
      if (!whole && badReads.fetch_add(1) == 0) firstBad = *text;
      reads.fetch_add(1);
      // A short pause, as a reader that reads again and again but not without end (Windows
      // refuses the rename while the file is open, and the feed retries for half a second).
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  });
  KeptRecords kept(24, heading);
  int replaced = 0;
  for (int round = 0; round < 300; ++round) {
    // Records come and go: the file grows and shrinks between replacements.
    const int64_t now = start + round * 7;
    SpotLogFile appended;
    std::string error;
    ASSERT_TRUE(appended.open(spotLog, error)) << error;
    for (int i = 0; i < 1 + round % 13; ++i) {
      // Lines kept within blocks, as the feed appends them: the kernel shows an appended write
      // page by page, so a line across a page boundary could be read cut short.
      std::string padded;
      keepLinesInBlocks(recordAt(now + i), appended.size(), padded);
      ASSERT_TRUE(appended.append(padded, error)) << error;
      kept.add(now);
    }
    appended.close();  // as the feed does: Windows renames nothing over an open file
    if (replace(kept, spotLog, now + (round % 5) * 600)) ++replaced;
  }
  // Let the reader finish at least a few reads of the last file.
  for (int wait = 0; wait < 200 && reads.load() < 20; ++wait) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  done.store(true);
  reader.join();
  EXPECT_EQ(replaced, 300);
  EXPECT_GT(reads.load(), 0);
  EXPECT_EQ(badReads.load(), 0) << firstBad;
  EXPECT_EQ(static_cast<int64_t>(spotLogLines(readFile(spotLog)).size()), kept.size() + 1);
}

}  // namespace
}  // namespace feed
