// Opening files on POSIX systems: the failures that errno reports, and names that differ only
// in letter case on a file system that keeps them apart.
#include <sys/stat.h>

#include "runtime/files/file_open.h"
#include "runtime/files/file_io.h"
#include "tests/unit/files/file_test_support.h"

namespace rt {
namespace {

using testing::FilesTest;
using testing::isOpen;
using testing::openWith;
using testing::openForInput;
using testing::runFieldScript;
using testing::takeError;

TEST_F(FilesTest, OpenFile_RaisesTheNumberedErrorOfEachFailureAndLeavesTheNumberFree) {
  const std::string plain = folder.write("plain.txt", "a,b\r\n");
  std::filesystem::create_directory(folder.file("sub"));
  ASSERT_EQ(mkfifo(folder.file("pipe").c_str(), 0600), 0);
  struct Case {
    const char* what;
    std::string name;
    OpenMode mode;
    int32_t number;
    uint32_t error;
  } cases[] = {
      {"missing file", folder.file("missing.txt"), OpenMode::Input, 1, 53},
      {"missing folder", folder.file("nofolder/x.txt"), OpenMode::Input, 1, 76},
      {"missing folder, output", folder.file("nofolder/x.txt"), OpenMode::Output, 1, 76},
      {"a file used as a folder", plain + "/x", OpenMode::Input, 1, 76},
      {"a folder for input", folder.file("sub"), OpenMode::Input, 1, 70},
      {"a folder for output", folder.file("sub"), OpenMode::Output, 1, 70},
      {"a named pipe, which must not block", folder.file("pipe"), OpenMode::Input, 1, 68},
      {"a serial-port name", "COM1:9600,N,8,1", OpenMode::Input, 1, 68},
      {"a zero byte inside the name", plain + std::string("\0x", 2), OpenMode::Input, 1, 64},
      {"a name too long", folder.file(std::string(5000, 'a')), OpenMode::Input, 1, 64},
      {"number 0", plain, OpenMode::Input, 0, 52},
      {"a negative number", plain, OpenMode::Input, -1, 52},
      {"a number too large to table", plain, OpenMode::Input, 2'000'000'000, 52},
      {"a mode outside the list", plain, static_cast<OpenMode>(6), 1, 5},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(openWith(c.name, c.mode, c.number), c.error) << c.what;
    if (c.number >= 1) {
      EXPECT_FALSE(isOpen(c.number)) << c.what;
    }
  }
  EXPECT_EQ(std::filesystem::exists(plain + "/x"), false);
}

TEST_F(FilesTest, OpenFile_ReachesANameThatDiffersOnlyInLetterCase) {
  folder.write("Ferlang.set", "log.txt,QQ1AAA\r\n");
  ASSERT_EQ(openForInput(folder.file("Ferlang.SET")), 0u);
  EXPECT_EQ(runFieldScript("S"), std::vector<std::string>{"log.txt"});
  closeFile(1);
  ASSERT_EQ(openWith(folder.file("FERLANG.SET"), OpenMode::Append), 0u);
  closeFile(1);
  EXPECT_FALSE(std::filesystem::exists(folder.file("FERLANG.SET")));

  // Two spellings of one name: which one is meant cannot be told, so neither is taken.
  folder.write("two.TXT", "1");
  folder.write("TWO.txt", "2");
  EXPECT_EQ(openForInput(folder.file("two.txt")), 53u);
}

}  // namespace
}  // namespace rt
