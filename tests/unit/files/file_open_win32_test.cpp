// Opening files on Windows: the failures that GetLastError reports, and names in any letter case
// reaching one file, as the file system finds them.
#include <filesystem>
#include <string>

#include "runtime/files/file_io.h"
#include "runtime/files/file_open.h"
#include "tests/unit/files/file_open_failures.h"
#include "tests/unit/files/file_test_support.h"

namespace rt {
namespace {

using testing::FilesTest;

TEST_F(FilesTest, OpenFile_RaisesTheNumberedErrorOfEachWindowsFailureAndLeavesTheNumberFree) {
  const std::string plain = folder.write("plain.txt", "a,b\r\n");
  std::filesystem::create_directory(folder.file("sub"));
  const testing::OpenFailure windowsFailures[] = {
      {"missing folder", folder.file("nofolder\\x.txt"), OpenMode::Input, 76},
      {"missing folder, output", folder.file("nofolder/x.txt"), OpenMode::Output, 76},
      {"a file used as a folder", plain + "\\x", OpenMode::Input, 76},
      {"the NUL device, which holds no data", "NUL", OpenMode::Input, 68},
      {"a character no Windows name may hold", folder.file("a|b.txt"), OpenMode::Input, 64},
  };
  testing::expectEachOpenFails(testing::openFailuresOnEverySystem(folder, plain));
  testing::expectEachOpenFails(windowsFailures);
  EXPECT_FALSE(std::filesystem::exists(folder.file("sub") + "/x"));
}

TEST_F(FilesTest, OpenFile_ReachesTheFileInAnyLetterCase) {
  ASSERT_NO_FATAL_FAILURE(testing::reachSettingsThroughOtherLetterCases(folder));
  size_t entries = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
    EXPECT_EQ(entry.path().filename().string(), "Ferlang.set");
    ++entries;
  }
  EXPECT_EQ(entries, 1u) << "an append in another letter case must not make a second file";
}

}  // namespace
}  // namespace rt
