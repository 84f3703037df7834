// The ferlang-feed program itself (POSIX): exit statuses, the one-line errors, following a
// growing, cut-short and replaced file, and a clean end on SIGTERM and SIGINT.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "feed/spot_record.h"
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

namespace feed {
namespace {

// A decode line dated `minutesAgo` before now (UTC), of `call`.
std::string decodeLineAgo(int64_t minutesAgo, const char* call) {
  const std::time_t at = std::time(nullptr) - static_cast<std::time_t>(minutesAgo * 60);
  std::tm utc{};
  gmtime_r(&at, &utc);
  char line[128];
  std::snprintf(line, sizeof line, "%02d%02d%02d %02d%02d -16  0.32   7.0400277  %s FM19 20  0\n",
                utc.tm_year % 100, utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, call);
  return line;
}

bool waitForText(const std::string& path, const std::string& expected) {
  for (int i = 0; i < 500; ++i) {
    if (readFile(path) == expected) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

std::string recorded(const std::vector<std::string>& arguments) {
  std::string text = "run recorder\n";
  for (const std::string& argument : arguments) text += "arg [" + argument + "]\n";
  return text;
}

TEST(FeedProgram, AlertsForNewDecodesOfWatchedCallsOnly) {
  TempFolder folder;
  const std::string source = folder.file("ALL_WSPR.TXT");
  const std::string spotLog = folder.file("spots.log");
  const std::string alerts = folder.file("alerts.txt");
  writeFile(folder.file("ferlang.set"), "spots.log\r\nK1ABC\r\nW1XYZ\r\n");
  writeFile(source, decodeLine(10, "K1ABC"));  // already there: no alert
  setenv("FAKE_LOG", alerts.c_str(), 1);
  unsetenv("FAKE_SLEEP_MS");
  FeedProcess feed(folder, {"--alert", std::string(FERLANG_FEED_RECORDER) + " \"heard it\"",
                            source, spotLog});
  ASSERT_TRUE(waitForLines(spotLog, 2));
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  EXPECT_FALSE(std::filesystem::exists(alerts));

  appendFile(source, decodeLine(12, "K1ABC") + decodeLine(12, "K9OTHER"));
  const std::string first = recorded({"heard it", "K1ABC", "00:12", "-16", "7.0400277"});
  EXPECT_TRUE(waitForText(alerts, first)) << readFile(alerts);
  // K1ABC again within the period: held. W1XYZ: its own alert.
  appendFile(source, decodeLine(14, "K1ABC") + decodeLine(14, "W1XYZ"));
  const std::string second = first + recorded({"heard it", "W1XYZ", "00:14", "-16", "7.0400277"});
  EXPECT_TRUE(waitForText(alerts, second)) << readFile(alerts);
  // An edit of the settings file takes effect without a restart.
  writeFile(folder.file("ferlang.set"), "spots.log\r\nN0NEW\r\n");
  std::this_thread::sleep_for(std::chrono::milliseconds(1200));
  appendFile(source, decodeLine(16, "N0NEW"));
  const std::string third = second + recorded({"heard it", "N0NEW", "00:16", "-16", "7.0400277"});
  EXPECT_TRUE(waitForText(alerts, third)) << readFile(alerts);
  std::this_thread::sleep_for(std::chrono::milliseconds(1200));
  feed.signal(SIGTERM);
  EXPECT_EQ(feed.waitForExit(), 0);
  EXPECT_EQ(readFile(alerts), third);
  EXPECT_EQ(spotLogLines(readFile(spotLog)).size(), 7u);  // heading and six records
  unsetenv("FAKE_LOG");
}

TEST(FeedProgram, KeepHoursReplacesTheLogWithTheLastHoursThenAppends) {
  TempFolder folder;
  const std::string source = folder.file("ALL_WSPR.TXT");
  const std::string spotLog = folder.file("spots.log");
  writeFile(spotLog, "Old heading\r\nOLD1,1,00:00:00,x,1,y\r\n");
  writeFile(source, decodeLineAgo(30 * 60, "K1OLD") + decodeLineAgo(25 * 60, "K2OLD") +
                        decodeLineAgo(23 * 60, "K1NEW") + decodeLineAgo(5, "K2NEW"));
  FeedProcess feed(folder, {"--keep-hours", "24", source, spotLog});
  auto calls = [&] {
    std::string found;
    for (const std::string& line : spotLogLines(readFile(spotLog))) found += line.substr(0, line.find(',')) + " ";
    return found;
  };
  const std::string kept = "Spots converted from ALL_WSPR.TXT K1NEW K2NEW ";
  for (int i = 0; i < 250 && calls() != kept; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(calls(), kept);
  appendFile(source, decodeLineAgo(0, "K3NOW"));
  for (int i = 0; i < 250 && calls() != kept + "K3NOW "; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(calls(), kept + "K3NOW ");
  feed.signal(SIGTERM);
  EXPECT_EQ(feed.waitForExit(), 0);
  EXPECT_EQ(feed.err(), "");

  // The same with --once: the log is replaced once, at the end.
  writeFile(spotLog, "Old heading\r\n");
  TempFolder other;
  FeedProcess once(other, {"--once", "--keep-hours", "24", source, spotLog});
  EXPECT_EQ(once.waitForExit(), 0);
  EXPECT_EQ(calls(), kept + "K3NOW ");
}

}  // namespace
}  // namespace feed

namespace feed {
namespace {

// Writes decodes dated now at about 50 lines a second, each of its own call; on request it
// pauses, and it cuts the file short or replaces it with its next line. Keeps every line.
class DecoderWriter {
 public:
  enum class Next { Append, Pause, CutShort, Replace };

  explicit DecoderWriter(std::string path) : path_(std::move(path)) {
    writeFile(path_, "");
    thread_ = std::thread([this] { run(); });
  }
  ~DecoderWriter() { stop(); }

  // Pause: the lines written so far once the writer has stopped.
  size_t ask(Next next) {
    next_.store(next);
    while (next == Next::Pause && !paused_.load()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return lines_.load();
  }
  void stop() {
    done_.store(true);
    if (thread_.joinable()) thread_.join();
  }
  const std::string& written() const { return written_; }

 private:
  void run() {
    for (int n = 0; !done_.load();) {
      const Next next = next_.load();
      paused_.store(next == Next::Pause);
      if (next == Next::Pause) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        continue;
      }
      const std::string line = decodeLineAgo(0, ("Q" + std::to_string(100000 + n++) + "X").c_str());
      if (next == Next::CutShort) writeFile(path_, line);
      if (next == Next::Replace) {
        writeFile(path_ + ".next", line);
        std::filesystem::rename(path_ + ".next", path_);
      }
      if (next == Next::Append) appendFile(path_, line);
      next_.store(Next::Append);
      written_ += line;
      lines_.fetch_add(1);
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }

  std::string path_;
  std::string written_;
  std::atomic<Next> next_{Next::Append};
  std::atomic<bool> paused_{false};
  std::atomic<size_t> lines_{0};
  std::atomic<bool> done_{false};
  std::thread thread_;
};

// Killed at random moments while the decoder writes, cuts its file short and replaces it, the
// feed started again each time: in the end the spot log holds what one conversion of
// everything written gives, each record once. With and without --keep-hours.
TEST(FeedProgram, FiftyKillsAtRandomMomentsNeitherDoubleNorLoseADecode) {
  for (const bool keepHours : {false, true}) {
    SCOPED_TRACE(keepHours ? "--keep-hours 24" : "appending");
    TempFolder folder;
    const std::string source = folder.file("ALL_WSPR.TXT");
    const std::string spotLog = folder.file("spots.log");
    std::vector<std::string> arguments = {source, spotLog};
    if (keepHours) arguments.insert(arguments.begin(), {"--keep-hours", "24"});
    DecoderWriter writer(source);
    std::mt19937 random(std::random_device{}());
    for (int run = 0; run < 50; ++run) {
      FeedProcess feed(folder, arguments);
      if (run == 15 || run == 30) {
        // What the decoder wrote before it cuts its file short or replaces it is read by a
        // running feed first (lines written while no feed runs and then removed are gone).
        ASSERT_TRUE(waitForLines(spotLog, writer.ask(DecoderWriter::Next::Pause) + 1));
        writer.ask(run == 15 ? DecoderWriter::Next::CutShort : DecoderWriter::Next::Replace);
      }
      std::this_thread::sleep_for(std::chrono::microseconds(random() % 1'200'000));
      feed.signal(SIGKILL);
      EXPECT_EQ(feed.waitForExit(), -1) << "run " << run << ": " << feed.err();
    }
    writer.stop();
    // Everything written, converted at once: the records expected.
    writeFile(folder.file("everything.txt"), writer.written());
    FeedProcess once(folder, {"--once", folder.file("everything.txt"), folder.file("once.log")});
    ASSERT_EQ(once.waitForExit(), 0);
    // Records compared without the heading (it names the file converted) and without the
    // blanks that keep lines within their blocks.
    const auto unpadded = [](std::vector<std::string> lines) {
      if (!lines.empty()) lines.erase(lines.begin());
      for (std::string& line : lines) line = std::string(withoutPadding(line));
      return lines;
    };
    const std::vector<std::string> expected =
        unpadded(spotLogLines(readFile(folder.file("once.log"))));
    // The last run catches up with what is left to read and ends cleanly.
    FeedProcess last(folder, arguments);
    EXPECT_TRUE(waitForLines(spotLog, expected.size() + 1));
    std::this_thread::sleep_for(std::chrono::milliseconds(1200));
    last.signal(SIGTERM);
    EXPECT_EQ(last.waitForExit(), 0);
    EXPECT_EQ(last.err(), "");
    const std::vector<std::string> lines = unpadded(spotLogLines(readFile(spotLog)));
    EXPECT_EQ(lines.size(), expected.size());
    EXPECT_TRUE(lines == expected) << "the first difference is at line "
                                   << std::distance(lines.begin(),
                                                    std::mismatch(lines.begin(), lines.end(),
                                                                  expected.begin(), expected.end())
                                                        .first);
  }
}

}  // namespace
}  // namespace feed
