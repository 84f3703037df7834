// Starting real alert programs: the arguments arrive byte for byte, and nothing waits for a
// program that runs long.
#include "feed/alert_launch.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "tests/unit/feed/feed_test_support.h"

namespace feed {
namespace {

using testing::readFile;
using testing::TempFolder;

void setVariable(const char* name, const std::string& value) {
#ifdef _WIN32
  _putenv_s(name, value.c_str());
#else
  setenv(name, value.c_str(), 1);
#endif
}

// Waits until `path` holds `expected` (the recorder writes when it runs); its text after 10 s.
std::string waitForText(const std::string& path, const std::string& expected) {
  std::string text;
  for (int i = 0; i < 500; ++i) {
    text = readFile(path);
    if (text == expected) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return text;
}

TEST(AlertLaunch, HostileArgumentsReachTheProgramUnchanged) {
  const std::vector<std::string> hostile = {
      "K1ABC;touch pwned", "$(touch pwned)", "`touch pwned`", "\"", "a \"quoted\" b", "it's",
      "a|b&c>d<e", "%PATH%", "^&^|", "back\\slash\\", "\\\\\"", "", "two  spaces",
      std::string(3000, 'W') + "\"$(x)\\",
  };
  TempFolder folder;
  const std::string log = folder.file("recorded.txt");
  setVariable("FAKE_LOG", log);
  setVariable("FAKE_SLEEP_MS", "0");
  AlertLauncher launcher;
  std::vector<std::string> argv = {FERLANG_FEED_RECORDER};
  argv.insert(argv.end(), hostile.begin(), hostile.end());
  std::string error;
  ASSERT_TRUE(launcher.start(argv, error)) << error;
  std::string expected = "run recorder\n";
  for (const std::string& argument : hostile) expected += "arg [" + argument + "]\n";
  expected += "done recorder\n";
  EXPECT_EQ(waitForText(log, expected), expected);
  EXPECT_FALSE(std::filesystem::exists(folder.file("pwned")));
  EXPECT_FALSE(std::filesystem::exists("pwned"));
}

TEST(AlertLaunch, AProgramThatCannotStartIsAnErrorNotACrash) {
  AlertLauncher launcher;
  std::string error;
  EXPECT_FALSE(launcher.start({"ferlang-no-such-program-anywhere"}, error));
  EXPECT_FALSE(error.empty());
  error.clear();
  EXPECT_FALSE(launcher.start({}, error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(launcher.start({"x", std::string("zero\0byte", 9)}, error));
}

TEST(AlertLaunch, ALongRunningProgramIsNeverWaitedFor) {
  TempFolder folder;
  setVariable("FAKE_LOG", folder.file("recorded.txt"));
  setVariable("FAKE_SLEEP_MS", "2500");
  AlertLauncher launcher;
  std::string error;
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(launcher.start({FERLANG_FEED_RECORDER, "K1ABC"}, error)) << error;
  launcher.reapFinished();
  const auto returned = std::chrono::steady_clock::now() - start;
  EXPECT_LT(returned, std::chrono::milliseconds(2000));  // well before the program ends
  setVariable("FAKE_SLEEP_MS", "0");
  // The program ends on its own and is reaped at a later poll.
  waitForText(folder.file("recorded.txt"), "run recorder\narg [K1ABC]\ndone recorder\n");
  for (int i = 0; i < 100 && launcher.running() > 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    launcher.reapFinished();
  }
  EXPECT_EQ(launcher.running(), 0u);
}

}  // namespace
}  // namespace feed
