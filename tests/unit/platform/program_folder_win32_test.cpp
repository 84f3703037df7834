// The program's folder on Windows: GetModuleFileNameA names the test program itself, whose folder
// becomes the current directory.
#include "runtime/platform/program_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace rt {
namespace {

namespace fs = std::filesystem;

TEST(ProgramFolder, TheExecutablesFolderBecomesTheCurrentDirectory) {
  const fs::path previous = fs::current_path();
  fs::current_path(fs::temp_directory_path());
  ASSERT_FALSE(fs::equivalent(fs::current_path(), FERLANG_TEST_PROGRAM_FOLDER));
  enterProgramFolder();
  const fs::path entered = fs::current_path();
  fs::current_path(previous);
  EXPECT_TRUE(fs::equivalent(entered, FERLANG_TEST_PROGRAM_FOLDER)) << entered;
}

}  // namespace
}  // namespace rt
