// --keep-hours: the window of records kept, and the spot log replaced whole while a reader
// reads it in a loop.
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

using testing::readFile;
using testing::spotLogLines;
using testing::TempFolder;
using testing::writeFile;

constexpr int64_t day = 1440;
const int64_t start = 26'000'000;  // minutes since 1970: an evening in June 2019

std::string recordAt(int64_t minutes) {
  return "K1ABC,7.04,00:00:00,FN42," + std::to_string(minutes % 100) + ",37 dBm\r\n";
}

TEST(KeptRecords, KeepTheLastHoursEndingAtTheNewestDecode) {
  TempFolder folder;
  const std::string spotLog = folder.file("spots.log");
  KeptRecords kept(24);
  // Every 30 minutes over two days, read from an old file (the clock is much later).
  const int64_t now = start + 400 * day;
  for (int64_t m = start; m <= start + 2 * day; m += 30) kept.add(m, recordAt(m), now);
  std::string error;
  ASSERT_TRUE(kept.replaceSpotLog(spotLog, now, error)) << error;
  std::string expected(spotLogHeading);
  for (int64_t m = start + day; m <= start + 2 * day; m += 30) expected += recordAt(m);
  EXPECT_EQ(readFile(spotLog), expected);
  EXPECT_FALSE(std::filesystem::exists(spotLog + ".ferlang-feed.tmp"));
}

TEST(KeptRecords, NothingNewerThanTheWindowBeforeNowIsDropped) {
  KeptRecords kept(2);
  // A decoder clock running a day ahead: the window ends at the clock, not at the decodes.
  const int64_t now = start;
  kept.add(now - 119, recordAt(1), now);
  kept.add(now - 121, recordAt(2), now);  // out of order and too old
  kept.add(now + day, recordAt(3), now);
  kept.add(now - 60, recordAt(4), now);
  kept.dropOld(now);
  EXPECT_EQ(kept.size(), 3u);
  kept.dropOld(now + 60);
  EXPECT_EQ(kept.size(), 2u);
}

TEST(KeptRecords, MemoryStaysWithTheWindowWhileALongFileIsRead) {
  KeptRecords kept(1);
  for (int64_t m = start; m < start + 10 * day; ++m) kept.add(m, recordAt(m), start + 20 * day);
  EXPECT_LE(kept.size(), 61u);
}

TEST(KeptRecords, AnUnwritableFolderLeavesTheSpotLogAsItWas) {
  TempFolder folder;
  KeptRecords kept(1);
  kept.add(start, recordAt(start), start);
  std::string error;
  EXPECT_FALSE(kept.replaceSpotLog(folder.file("missing/spots.log"), start, error));
  EXPECT_FALSE(error.empty());
}

// A reader opening and reading the log in a loop while it is replaced again and again sees a
// heading line and whole records every time.
TEST(KeptRecords, AReaderSeesTheOldOrTheNewFileWholeNeverAMix) {
  TempFolder folder;
  const std::string spotLog = folder.file("spots.log");
  writeFile(spotLog, std::string(spotLogHeading));
  std::atomic<bool> done{false};
  std::atomic<int> reads{0}, badReads{0};
  std::string firstBad;
  std::thread reader([&] {
    while (!done.load()) {
      SourceFile file;
      if (!file.open(spotLog)) continue;
      std::string text;
      char block[4096];
      for (int64_t count; (count = file.read(block, sizeof block)) > 0;) {
        text.append(block, static_cast<size_t>(count));
      }
      file.close();
      const std::vector<std::string> lines = spotLogLines(text);
      bool whole = !lines.empty() && lines[0] + "\r\n" == spotLogHeading &&
                   text.size() >= 2 && text.substr(text.size() - 2) == "\r\n";
      for (size_t i = 1; i < lines.size() && whole; ++i) {
        whole = lines[i].rfind("K1ABC,7.04,00:00:00,FN42,", 0) == 0 &&
                lines[i].size() > 7 && lines[i].substr(lines[i].size() - 7) == ",37 dBm";
      }
      if (!whole && badReads.fetch_add(1) == 0) firstBad = text;
      reads.fetch_add(1);
      // A short pause, as a reader that reads again and again but not without end (Windows
      // refuses the rename while the file is open, and the feed retries for half a second).
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  });
  KeptRecords kept(24);
  int replaced = 0;
  for (int round = 0; round < 300; ++round) {
    // Records come and go: the file grows and shrinks between replacements.
    const int64_t now = start + round * 7;
    for (int i = 0; i < 1 + round % 13; ++i) kept.add(now, recordAt(now + i), now);
    std::string error;
    if (kept.replaceSpotLog(spotLog, now + (round % 5) * 600, error)) ++replaced;
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
}

}  // namespace
}  // namespace feed
