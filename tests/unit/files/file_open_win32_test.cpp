// Opening files on Windows: the failures that GetLastError reports, and names in any letter case
// reaching one file, as the file system finds them.
#include <filesystem>
#include <string>

#include "runtime/files/file_io.h"
#include "runtime/files/file_open.h"
#include "tests/unit/files/file_test_support.h"

namespace rt {
namespace {

using testing::FilesTest;
using testing::isOpen;
using testing::openWith;
using testing::openForInput;
using testing::runFieldScript;
using testing::takeError;

TEST_F(FilesTest, OpenFile_RaisesTheNumberedErrorOfEachWindowsFailureAndLeavesTheNumberFree) {
  const std::string plain = folder.write("plain.txt", "a,b\r\n");
  std::filesystem::create_directory(folder.file("sub"));
  struct Case {
    const char* what;
    std::string name;
    OpenMode mode;
    uint32_t error;
    int32_t number = 1;
  } cases[] = {
      {"missing file", folder.file("missing.txt"), OpenMode::Input, 53},
      {"missing folder", folder.file("nofolder\\x.txt"), OpenMode::Input, 76},
      {"missing folder, output", folder.file("nofolder/x.txt"), OpenMode::Output, 76},
      {"a file used as a folder", plain + "\\x", OpenMode::Input, 76},
      {"a folder for input", folder.file("sub"), OpenMode::Input, 70},
      {"a folder for output", folder.file("sub"), OpenMode::Output, 70},
      {"the NUL device, which holds no data", "NUL", OpenMode::Input, 68},
      {"a serial-port name", "COM1:9600,N,8,1", OpenMode::Input, 68},
      {"a zero byte inside the name", plain + std::string("\0x", 2), OpenMode::Input, 64},
      {"a character no Windows name may hold", folder.file("a|b.txt"), OpenMode::Input, 64},
      {"a name too long", folder.file(std::string(5000, 'a')), OpenMode::Input, 64},
      {"number 0", plain, OpenMode::Input, 52, 0},
      {"a negative number", plain, OpenMode::Input, 52, -1},
      {"a number too large to table", plain, OpenMode::Input, 52, 2'000'000'000},
      {"a mode outside the list", plain, static_cast<OpenMode>(6), 5},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(openWith(c.name, c.mode, c.number), c.error) << c.what;
    if (c.number >= 1) {
      EXPECT_FALSE(isOpen(c.number)) << c.what;
    }
  }
  EXPECT_FALSE(std::filesystem::exists(folder.file("sub") + "/x"));
}

TEST_F(FilesTest, OpenFile_ReachesTheFileInAnyLetterCase) {
  folder.write("Ferlang.set", "log.txt,QQ1AAA\r\n");
  ASSERT_EQ(openForInput(folder.file("Ferlang.SET")), 0u);
  EXPECT_EQ(runFieldScript("S"), std::vector<std::string>{"log.txt"});
  closeFile(1);
  ASSERT_EQ(openWith(folder.file("FERLANG.SET"), OpenMode::Append), 0u);
  closeFile(1);
  size_t entries = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
    EXPECT_EQ(entry.path().filename().string(), "Ferlang.set");
    ++entries;
  }
  EXPECT_EQ(entries, 1u) << "an append in another letter case must not make a second file";
}

}  // namespace
}  // namespace rt
