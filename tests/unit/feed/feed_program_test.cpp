// The ferlang-feed program itself (POSIX): exit statuses, the one-line errors, following a
// growing, cut-short and replaced file, and a clean end on SIGTERM and SIGINT.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "tests/unit/feed/feed_test_support.h"

extern char** environ;

namespace feed {
namespace {

using testing::appendFile;
using testing::readFile;
using testing::spotLogLines;
using testing::TempFolder;
using testing::writeFile;

// The program started with `arguments`, its standard output and error going to files.
class FeedProcess {
 public:
  FeedProcess(const TempFolder& folder, const std::vector<std::string>& arguments)
      : outPath_(folder.file("stdout.txt")), errPath_(folder.file("stderr.txt")) {
    std::vector<std::string> argv = {FERLANG_FEED_EXE};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<char*> pointers;
    for (std::string& argument : argv) pointers.push_back(argument.data());
    pointers.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    EXPECT_EQ(posix_spawn(&pid_, pointers[0], &actions, nullptr, pointers.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
  }
  ~FeedProcess() {
    if (pid_ > 0 && !reaped_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }

  void signal(int number) { kill(pid_, number); }

  // The exit status, or -1 when the program did not end normally within `limit`.
  int waitForExit(std::chrono::seconds limit = std::chrono::seconds(10)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        reaped_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return -1;
  }

  std::string out() const { return readFile(outPath_); }
  std::string err() const { return readFile(errPath_); }

 private:
  std::string outPath_, errPath_;
  pid_t pid_ = 0;
  bool reaped_ = false;
};

// Waits until the spot log has `count` lines (heading included); false after 10 s.
bool waitForLines(const std::string& spotLog, size_t count) {
  for (int i = 0; i < 500; ++i) {
    if (spotLogLines(readFile(spotLog)).size() >= count) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

std::string decodeLine(int minute, const char* call) {
  char line[128];
  std::snprintf(line, sizeof line, "200801 00%02d -16  0.32   7.0400277  %s FM19 20  0\n", minute, call);
  return line;
}

TEST(FeedProgram, BadCommandLinesEndWithStatusTwoAndOneLine) {
  const std::vector<std::vector<std::string>> cases = {
      {}, {"--bogus", "a", "b"}, {"--band", "31m", "a", "b"}, {"a"}, {"a", "b", "c"}};
  for (const auto& arguments : cases) {
    TempFolder folder;
    FeedProcess feed(folder, arguments);
    EXPECT_EQ(feed.waitForExit(), 2);
    const std::string err = feed.err();
    EXPECT_EQ(err.rfind("ferlang-feed: ", 0), 0u) << err;
    EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
    EXPECT_EQ(feed.out(), "");
  }
}

TEST(FeedProgram, HelpPrintsTheUsageAndEndsWithStatusZero) {
  TempFolder folder;
  FeedProcess feed(folder, {"--help"});
  EXPECT_EQ(feed.waitForExit(), 0);
  EXPECT_EQ(feed.out().rfind("Usage: ferlang-feed", 0), 0u);
  EXPECT_EQ(feed.err(), "");
}

TEST(FeedProgram, FollowsAGrowingCutShortAndReplacedFileAndEndsCleanlyOnSigterm) {
  TempFolder folder;
  const std::string source = folder.file("ALL_WSPR.TXT");
  const std::string spotLog = folder.file("spots.log");
  writeFile(source, decodeLine(10, "K1AAA") + decodeLine(12, "K1BBB"));
  FeedProcess feed(folder, {source, spotLog});
  ASSERT_TRUE(waitForLines(spotLog, 3));

  // Grows by a partial line: nothing until the line is whole.
  const std::string third = decodeLine(14, "K1CCC");
  appendFile(source, third.substr(0, 20));
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  EXPECT_EQ(spotLogLines(readFile(spotLog)).size(), 3u);
  appendFile(source, third.substr(20));
  ASSERT_TRUE(waitForLines(spotLog, 4));

  // Cut short and started again with the old lines and one new one: only the new one is written.
  writeFile(source, decodeLine(10, "K1AAA") + decodeLine(12, "K1BBB") + decodeLine(16, "K1DDD"));
  ASSERT_TRUE(waitForLines(spotLog, 5));

  // Replaced by another file.
  const std::string replacement = folder.file("next.txt");
  writeFile(replacement, decodeLine(18, "K1EEE"));
  std::filesystem::rename(replacement, source);
  ASSERT_TRUE(waitForLines(spotLog, 6));
  std::this_thread::sleep_for(std::chrono::milliseconds(1200));

  feed.signal(SIGTERM);
  EXPECT_EQ(feed.waitForExit(), 0);
  EXPECT_EQ(spotLogLines(readFile(spotLog)),
            (std::vector<std::string>{"Spots converted from ALL_WSPR.TXT",
                                      "K1AAA,7.0400277,00:10:00,FM19,-16,20 dBm",
                                      "K1BBB,7.0400277,00:12:00,FM19,-16,20 dBm",
                                      "K1CCC,7.0400277,00:14:00,FM19,-16,20 dBm",
                                      "K1DDD,7.0400277,00:16:00,FM19,-16,20 dBm",
                                      "K1EEE,7.0400277,00:18:00,FM19,-16,20 dBm"}));
  EXPECT_NE(feed.out().find("ferlang-feed: stopped; 5 records written"), std::string::npos)
      << feed.out();
  EXPECT_EQ(feed.err(), "");
}

TEST(FeedProgram, CtrlCEndsFollowingWithStatusZero) {
  TempFolder folder;
  const std::string source = folder.file("ALL_WSPR.TXT");
  writeFile(source, decodeLine(10, "K1AAA"));
  FeedProcess feed(folder, {source, folder.file("spots.log")});
  ASSERT_TRUE(waitForLines(folder.file("spots.log"), 2));
  feed.signal(SIGINT);
  EXPECT_EQ(feed.waitForExit(), 0);
}

}  // namespace
}  // namespace feed
