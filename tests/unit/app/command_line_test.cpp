// The command line: what each combination of options asks for, and the one-line refusals.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace app {
namespace {

CommandLine parse(std::vector<std::string> words) {
  words.insert(words.begin(), "ferlang");
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  CommandLine line = parseCommandLine(static_cast<int>(words.size()), argv.data());
  line.runtimeArguments.clear();  // points into `words`, which ends here
  return line;
}

TEST(CommandLineTest, EachCombinationAsksForItsAction) {
  const struct {
    std::vector<std::string> words;
    Action action;
    std::string folder, snapshot;
    int every;
  } cases[] = {
      {{}, Action::OpenWindow, "", "", 0},
      {{"--folder", "/data"}, Action::OpenWindow, "/data", "", 0},
      {{"--snapshot", "chart.png"}, Action::WriteSnapshot, "", "chart.png", 0},
      {{"--snapshot", "c.png", "--folder", "d", "--every", "15"}, Action::WriteSnapshot, "d", "c.png", 15},
      {{"--every", "5", "--snapshot", "c.png"}, Action::WriteSnapshot, "", "c.png", 5},
      {{"--help"}, Action::ShowHelp, "", "", 0},
      {{"-h"}, Action::ShowHelp, "", "", 0},
      {{"--version"}, Action::ShowVersion, "", "", 0},
      {{"--version", "--help"}, Action::ShowHelp, "", "", 0},
      {{"--folder", "x", "--help"}, Action::ShowHelp, "x", "", 0},
      {{"-display", ":5"}, Action::OpenWindow, "", "", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.words));
    CommandLine line = parse(c.words);
    EXPECT_EQ(line.action, c.action) << line.problem;
    EXPECT_EQ(line.folder, c.folder);
    EXPECT_EQ(line.snapshotPath, c.snapshot);
    EXPECT_EQ(line.everyMinutes, c.every);
  }
}

TEST(CommandLineTest, ServeTakesAPortAndAnOptionalAddress) {
  const struct {
    std::string value, host;
    int port;
  } cases[] = {
      {"8080", "127.0.0.1", 8080},
      {"0", "127.0.0.1", 0},
      {"0.0.0.0:80", "0.0.0.0", 80},
      {"[::]:8080", "::", 8080},
      {"[::1]:65535", "::1", 65535},
      {"radio.local:8000", "radio.local", 8000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    CommandLine line = parse({"--folder", "d", "--serve", c.value});
    EXPECT_EQ(line.action, Action::Serve) << line.problem;
    EXPECT_EQ(line.serveHost, c.host);
    EXPECT_EQ(line.servePort, c.port);
    EXPECT_EQ(line.folder, "d");
  }
}

TEST(CommandLineTest, UsageErrorsAreRefusedWithALineThatNamesTheProblem) {
  const struct {
    std::vector<std::string> words;
    std::string problemContains;
  } cases[] = {
      {{"--bogus"}, "unknown option \"--bogus\""},
      {{"folder"}, "unknown option \"folder\""},
      {{"--folder"}, "--folder needs a value"},
      {{"--folder", ""}, "--folder needs a folder name"},
      {{"--snapshot"}, "--snapshot needs a value"},
      {{"--snapshot", ""}, "--snapshot needs a file name"},
      {{"--every", "5"}, "--every goes with --snapshot"},
      {{"--snapshot", "c.png", "--every", "0"}, "--every needs whole minutes"},
      {{"--snapshot", "c.png", "--every", "-3"}, "--every needs whole minutes"},
      {{"--snapshot", "c.png", "--every", "2.5"}, "--every needs whole minutes"},
      {{"--snapshot", "c.png", "--every", "99999999999"}, "--every needs whole minutes"},
      {{"--snapshot", "c.png", "--every", "10081"}, "--every needs whole minutes"},
      {{"-display"}, "-display needs a value"},
      {{"--serve"}, "--serve needs a value"},
      {{"--serve", "http"}, "--serve needs [ADDRESS:]PORT"},
      {{"--serve", "65536"}, "--serve needs [ADDRESS:]PORT"},
      {{"--serve", "-1"}, "--serve needs [ADDRESS:]PORT"},
      {{"--serve", "host:"}, "--serve needs [ADDRESS:]PORT"},
      {{"--serve", ":8080"}, "--serve needs [ADDRESS:]PORT"},
      {{"--serve", "::1:8080"}, "--serve needs [ADDRESS:]PORT"},
      {{"--serve", "8080", "--snapshot", "c.png"}, "do not go together"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.words));
    CommandLine line = parse(c.words);
    EXPECT_EQ(line.action, Action::Refuse);
    EXPECT_NE(line.problem.find(c.problemContains), std::string::npos) << line.problem;
    EXPECT_EQ(line.problem.find('\n'), std::string::npos) << "one line";
  }
}

// The runtime gets the program's name and the display option, as an argv ends: with nullptr.
TEST(CommandLineTest, TheRuntimeGetsTheProgramNameAndTheDisplayOptionOnly) {
  std::string name = "ferlang", folderOption = "--folder", folder = "/data", displayOption = "-display",
              displayName = ":7";
  char* argv[] = {name.data(), folderOption.data(), folder.data(), displayOption.data(),
                  displayName.data(), nullptr};
  CommandLine line = parseCommandLine(5, argv);
  ASSERT_EQ(line.runtimeArguments.size(), 4u);
  EXPECT_EQ(line.runtimeArguments[0], name.data());
  EXPECT_EQ(line.runtimeArguments[1], displayOption.data());
  EXPECT_EQ(line.runtimeArguments[2], displayName.data());
  EXPECT_EQ(line.runtimeArguments[3], nullptr);
}

TEST(CommandLineTest, AFolderMustExistAndBeAFolder) {
  const std::filesystem::path base = std::filesystem::temp_directory_path() /
                                     ("ferlang-folder-" + std::to_string(testing::UnitTest::GetInstance()->random_seed()));
  std::filesystem::create_directories(base / "settings");
  { std::FILE* file = std::fopen((base / "plain").string().c_str(), "w"); std::fclose(file); }
  EXPECT_EQ(folderProblem((base / "settings").string()), "");
  EXPECT_NE(folderProblem((base / "absent").string()).find("does not exist"), std::string::npos);
  EXPECT_NE(folderProblem((base / "plain").string()).find("is not a folder"), std::string::npos);
  std::filesystem::remove_all(base);
}

TEST(CommandLineTest, HelpNamesEveryOptionAndTheVersionItsNumber) {
  const std::string usage = usageText();
  for (const char* option : {"--folder", "--snapshot", "--every", "--serve", "--help", "--version", "Ferlang.SET"}) {
    EXPECT_NE(usage.find(option), std::string::npos) << option;
  }
  const std::string version = versionText();
  EXPECT_EQ(version.rfind(std::string("ferlang ") + FERLANG_VERSION + "\n", 0), 0u) << version;
  EXPECT_NE(version.find("the Ferlang developers"), std::string::npos) << version;
  EXPECT_NE(version.find("MIT licence"), std::string::npos) << version;
  EXPECT_EQ(version.back(), '\n');
}

}  // namespace
}  // namespace app
