// Starting programs on Windows (CreateProcessA): an argument list reaches the program exactly as
// given, a child is waited for or left to run on its own, and programs and paths are told apart
// as CreateProcessA would start them. The programs are copies of the recorder
// (tests/support/recorder.cpp).
#include "runtime/platform/process_launch.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/saved_environment.h"
#include "tests/support/temp_folder.h"

namespace rt {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

class ProcessLaunchWin32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(folder.empty());
    support::setEnvironmentVariable("FAKE_LOG", folder + "\\log");
    support::removeEnvironmentVariable("FAKE_SLEEP_MS");
    recorder = folder + "\\bin\\recorder.exe";
    fs::create_directories(folder + "\\bin");
    fs::copy_file(FERLANG_RECORDER_EXE, recorder);
  }
  // A child that has just ended may hold its program file a little longer, and the temporary
  // folder tries its removal only once: keep trying here first.
  void TearDown() override {
    std::error_code ignored;
    for (int attempt = 0; attempt < 50 && fs::exists(folder); ++attempt) {
      fs::remove_all(folder, ignored);
      if (fs::exists(folder)) std::this_thread::sleep_for(100ms);
    }
  }

  std::string log() const {
    std::ifstream in(folder + "\\log", std::ios::binary);
    std::stringstream contents;
    contents << in.rdbuf();
    return contents.str();
  }

  support::SavedEnvironment savedEnvironment{"FAKE_LOG", "FAKE_SLEEP_MS"};
  support::TempFolder tempFolder{"ferlang-launch-"};
  const std::string folder = tempFolder.path();
  std::string recorder;
};

TEST_F(ProcessLaunchWin32Test, ArgumentsReachTheProgramByteForByte) {
  const std::vector<std::string> arguments = {
      "plain", "two words", "", "quote\"inside", "trailing\\", "back\\slash",
      "\\\\server\\share", "ends with blank ", "tab\there", "semi;colon&amp|pipe", "%PATH%",
  };
  std::vector<std::string> argv{recorder};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  ChildProcess child = startProgram(argv);
  ASSERT_TRUE(child.started());
  waitForProcess(child);
  std::string expected = "run recorder\n";
  for (const std::string& argument : arguments) expected += "arg [" + argument + "]\n";
  EXPECT_EQ(log(), expected);
}

TEST_F(ProcessLaunchWin32Test, WaitForProcessReturnsWhenTheChildHasEnded) {
  _putenv_s("FAKE_SLEEP_MS", "300");
  const auto started = Clock::now();
  ChildProcess child = startProgram({recorder, "x"});
  ASSERT_TRUE(child.started());
  waitForProcess(child);
  EXPECT_GE(Clock::now() - started, 300ms);
  EXPECT_EQ(log(), "run recorder\narg [x]\ndone recorder\n");
}

TEST_F(ProcessLaunchWin32Test, StartDetachedReturnsAtOnceAndTheChildRunsOn) {
  _putenv_s("FAKE_SLEEP_MS", "1500");
  const auto started = Clock::now();
  EXPECT_TRUE(startDetached({recorder}));
  EXPECT_LT(Clock::now() - started, 1000ms);
  const auto deadline = Clock::now() + 10s;
  while (log().find("done recorder") == std::string::npos && Clock::now() < deadline) {
    std::this_thread::sleep_for(20ms);
  }
  EXPECT_EQ(log(), "run recorder\ndone recorder\n");
}

TEST_F(ProcessLaunchWin32Test, NothingStartsForAMissingProgramOrAZeroByte) {
  EXPECT_FALSE(startProgram({folder + "\\bin\\missing.exe"}).started());
  EXPECT_FALSE(startProgram({}).started());
  EXPECT_FALSE(startProgram({""}).started());
  EXPECT_FALSE(startProgram({recorder, std::string("a\0b", 3)}).started());
  EXPECT_FALSE(startDetached({folder + "\\bin\\missing.exe"}));
  waitForProcess(ChildProcess{});  // nothing to wait for: returns at once
  EXPECT_EQ(log(), "");
}

TEST_F(ProcessLaunchWin32Test, PathKindsAndProgramLookup) {
  std::ofstream(folder + "\\notes.txt") << "text";
  fs::copy_file(recorder, folder + "\\bin\\OTHER.EXE");
  EXPECT_EQ(pathKind(recorder), PathKind::Executable);
  EXPECT_EQ(pathKind(folder + "\\bin\\OTHER.EXE"), PathKind::Executable);
  EXPECT_EQ(pathKind(folder + "\\notes.txt"), PathKind::Other);
  EXPECT_EQ(pathKind(folder + "\\bin"), PathKind::Other);
  EXPECT_EQ(pathKind(folder + "\\missing.exe"), PathKind::Missing);
  EXPECT_EQ(pathKind(""), PathKind::Missing);

  EXPECT_EQ(findProgram(recorder), recorder) << "a path is taken as it is";
  EXPECT_EQ(findProgram(folder + "\\notes.txt"), "");
  std::string found;
  {
    const support::SavedEnvironment savedPath{"PATH"};
    const char* path = getenv("PATH");
    support::setEnvironmentVariable("PATH", folder + "\\bin;" + (path != nullptr ? path : ""));
    found = findProgram("recorder");
  }
  EXPECT_TRUE(!found.empty() && fs::equivalent(found, recorder)) << found;
  EXPECT_EQ(findProgram("nosuchprogram-ferlang"), "");
}

TEST_F(ProcessLaunchWin32Test, ADesktopIsAlwaysThere) { EXPECT_TRUE(graphicalDisplayNamed()); }

}  // namespace
}  // namespace rt
