// Following a decoder log that grows by pieces of lines, is cut short, removed and replaced.
#include "feed/follower.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "feed/line_splitter.h"
#include "tests/unit/feed/feed_test_support.h"

namespace feed {
namespace {

using testing::appendFile;
using testing::TempFolder;
using testing::writeFile;

// Collects the lines it is given and marks each new start with "<start over>".
class LineCollector : public FollowReader {
 public:
  void bytes(std::string_view block) override {
    splitter_.feed(block, [this](std::string_view line, bool) { lines.emplace_back(line); });
  }
  void startOver() override {
    splitter_.reset();
    lines.emplace_back("<start over>");
  }
  std::vector<std::string> takeLines() { return std::exchange(lines, {}); }

  std::vector<std::string> lines;

 private:
  LineSplitter splitter_;
};

using Lines = std::vector<std::string>;

TEST(Follower, ReadsLinesThatArriveInPiecesOnlyOnceTheyAreWhole) {
  TempFolder folder;
  const std::string path = folder.file("ALL_WSPR.TXT");
  writeFile(path, "line one\nline tw");
  Follower follower(path, 4);  // small blocks: every line crosses a block edge
  LineCollector reader;
  EXPECT_EQ(follower.poll(reader), PollResult::Read);
  EXPECT_EQ(reader.takeLines(), Lines{"line one"});
  appendFile(path, "o");
  EXPECT_EQ(follower.poll(reader), PollResult::Read);
  EXPECT_EQ(reader.takeLines(), Lines{});
  appendFile(path, "\nline three\nline ");
  follower.poll(reader);
  EXPECT_EQ(reader.takeLines(), (Lines{"line two", "line three"}));
  follower.poll(reader);  // nothing new
  EXPECT_EQ(reader.takeLines(), Lines{});
  appendFile(path, "four\n");
  follower.poll(reader);
  EXPECT_EQ(reader.takeLines(), Lines{"line four"});
  EXPECT_EQ(follower.startOvers(), 0);
}

TEST(Follower, StartsAgainFromTheBeginningOfAFileCutShort) {
  TempFolder folder;
  const std::string path = folder.file("ALL_WSPR.TXT");
  writeFile(path, "200801 0018 first decode line\n200801 0018 second decode line\n");
  Follower follower(path);
  LineCollector reader;
  follower.poll(reader);
  reader.takeLines();
  // Cut short in place (same file), with a half line that is never finished.
  std::filesystem::resize_file(path, 0);
  appendFile(path, "200801 0020 new\n");
  follower.poll(reader);
  EXPECT_EQ(reader.takeLines(), (Lines{"<start over>", "200801 0020 new"}));
  EXPECT_EQ(follower.startOvers(), 1);
}

TEST(Follower, NoticesAFileCutShortAndGrownPastWhereItWasRead) {
  TempFolder folder;
  const std::string path = folder.file("ALL_WSPR.TXT");
  writeFile(path, "200801 0018 old\n");
  Follower follower(path);
  LineCollector reader;
  follower.poll(reader);
  reader.takeLines();
  // Between two polls the file is emptied and more than before is written to it.
  std::filesystem::resize_file(path, 0);
  appendFile(path, "200801 0020 new one\n200801 0020 new two\n");
  follower.poll(reader);
  EXPECT_EQ(reader.takeLines(), (Lines{"<start over>", "200801 0020 new one", "200801 0020 new two"}));
}

TEST(Follower, NoticesAFileWrittenAgainToTheSameSizeWithOtherLastLines) {
  TempFolder folder;
  const std::string path = folder.file("ALL_WSPR.TXT");
  writeFile(path, "200801 0018 same first line\n200801 0018 old last line\n");
  Follower follower(path);
  LineCollector reader;
  follower.poll(reader);
  reader.takeLines();
  writeFile(path, "200801 0018 same first line\n200801 0020 new last line\n");
  follower.poll(reader);
  EXPECT_EQ(reader.takeLines(),
            (Lines{"<start over>", "200801 0018 same first line", "200801 0020 new last line"}));
}

TEST(Follower, ReadsAFileThatReplacedTheOneReadFromItsBeginning) {
  TempFolder folder;
  const std::string path = folder.file("ALL_WSPR.TXT");
  writeFile(path, "old one\nold two\n");
  Follower follower(path);
  LineCollector reader;
  follower.poll(reader);
  EXPECT_EQ(reader.takeLines(), (Lines{"old one", "old two"}));
  const std::string replacement = folder.file("new.txt");
  writeFile(replacement, "new one\n");
  std::filesystem::rename(replacement, path);
  follower.poll(reader);
  EXPECT_EQ(reader.takeLines(), (Lines{"<start over>", "new one"}));
  appendFile(path, "new two\n");
  follower.poll(reader);
  EXPECT_EQ(reader.takeLines(), Lines{"new two"});
  EXPECT_EQ(follower.startOvers(), 1);
}

// Where the file stays open between polls (POSIX), the lines written to it just before it was
// replaced are read too. On Windows it is closed between polls so that it can be replaced.
TEST(Follower, ReadsTheOldFilesLastLinesThenTheFileThatReplacedIt) {
  if (!sourceStaysOpenBetweenPolls()) GTEST_SKIP() << "the file is not held between polls here";
  TempFolder folder;
  const std::string path = folder.file("ALL_WSPR.TXT");
  writeFile(path, "old one\n");
  Follower follower(path);
  LineCollector reader;
  follower.poll(reader);
  EXPECT_EQ(reader.takeLines(), Lines{"old one"});
  // The decoder writes a last line, then the file is replaced by renaming another over it.
  appendFile(path, "old two\nold unfinished");
  const std::string replacement = folder.file("new.txt");
  writeFile(replacement, "new one\n");
  std::filesystem::rename(replacement, path);
  follower.poll(reader);
  EXPECT_EQ(reader.takeLines(), (Lines{"old two", "<start over>", "new one"}));
  appendFile(path, "new two\n");
  follower.poll(reader);
  EXPECT_EQ(reader.takeLines(), Lines{"new two"});
  EXPECT_EQ(follower.startOvers(), 1);
}

TEST(Follower, WaitsForAMissingFileAndStartsOverWhenARemovedOneComesBack) {
  TempFolder folder;
  const std::string path = folder.file("ALL_WSPR.TXT");
  Follower follower(path);
  LineCollector reader;
  EXPECT_EQ(follower.poll(reader), PollResult::Missing);
  writeFile(path, "first\n");
  EXPECT_EQ(follower.poll(reader), PollResult::Read);
  EXPECT_EQ(reader.takeLines(), Lines{"first"});  // the first file is no new start
  std::filesystem::remove(path);
  EXPECT_EQ(follower.poll(reader), PollResult::Missing);
  writeFile(path, "second\n");
  EXPECT_EQ(follower.poll(reader), PollResult::Read);
  EXPECT_EQ(reader.takeLines(), (Lines{"<start over>", "second"}));
}

TEST(Follower, AFolderIsNotAFileToFollow) {
  TempFolder folder;
  Follower follower(folder.path());
  LineCollector reader;
  EXPECT_EQ(follower.poll(reader), PollResult::Missing);
}

}  // namespace
}  // namespace feed
