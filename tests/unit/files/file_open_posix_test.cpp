// Opening files on POSIX systems: the failures that errno reports, and names that differ only
// in letter case on a file system that keeps them apart.
#include <sys/stat.h>

#include "runtime/files/file_open.h"
#include "runtime/files/file_io.h"
#include "tests/unit/files/file_open_failures.h"
#include "tests/unit/files/file_test_support.h"

namespace rt {
namespace {

using testing::FilesTest;

TEST_F(FilesTest, OpenFile_RaisesTheNumberedErrorOfEachFailureAndLeavesTheNumberFree) {
  const std::string plain = folder.write("plain.txt", "a,b\r\n");
  std::filesystem::create_directory(folder.file("sub"));
  ASSERT_EQ(mkfifo(folder.file("pipe").c_str(), 0600), 0);
  const testing::OpenFailure posixFailures[] = {
      {"missing folder", folder.file("nofolder/x.txt"), OpenMode::Input, 76},
      {"missing folder, output", folder.file("nofolder/x.txt"), OpenMode::Output, 76},
      {"a file used as a folder", plain + "/x", OpenMode::Input, 76},
      {"a named pipe, which must not block", folder.file("pipe"), OpenMode::Input, 68},
  };
  testing::expectEachOpenFails(testing::openFailuresOnEverySystem(folder, plain));
  testing::expectEachOpenFails(posixFailures);
  EXPECT_EQ(std::filesystem::exists(plain + "/x"), false);
}

TEST_F(FilesTest, OpenFile_ReachesANameThatDiffersOnlyInLetterCase) {
  ASSERT_NO_FATAL_FAILURE(testing::reachSettingsThroughOtherLetterCases(folder));
  EXPECT_FALSE(std::filesystem::exists(folder.file("FERLANG.SET")));

  // Two spellings of one name: which one is meant cannot be told, so neither is taken.
  folder.write("two.TXT", "1");
  folder.write("TWO.txt", "2");
  EXPECT_EQ(testing::openForInput(folder.file("two.txt")), 53u);
}

}  // namespace
}  // namespace rt
