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

TEST(FileTableTest, GrowsToExactlyTheNumberAndReusesTheLastReleasedRecordFirst) {
  FileTable table;
  table.growNumberTable(5);
  EXPECT_EQ(table.numberTableSize(), 5);
  for (int32_t number = 0; number <= 7; ++number) EXPECT_EQ(table.slotOfNumber(number), -1);
  EXPECT_EQ(table.numberTableSize(), 5) << "looking a number up must not enlarge the table";
  table.growNumberTable(3);
  EXPECT_EQ(table.numberTableSize(), 5);

  EXPECT_EQ(table.takeSlot(), 0);
  EXPECT_EQ(table.takeSlot(), 1);
  EXPECT_EQ(table.takeSlot(), 2);
  table.releaseSlot(1);
  table.releaseSlot(0);
  const int32_t expected[][2] = {{0, 4}, {1, 5}, {3, 6}};  // index, serial
  for (const auto& e : expected) {
    const int32_t index = table.takeSlot();
    EXPECT_EQ(index, e[0]);
    EXPECT_EQ(table.slot(index).serial, static_cast<uint64_t>(e[1]));
    EXPECT_FALSE(table.slot(index).open);
  }
}

TEST_F(FilesTest, OpenFile_RecordLengthMustBeNonZeroAndPositiveOrMinusOne) {
  const std::string path = folder.write("records.dat", "");
  struct Case {
    int64_t length;
    bool given;
    uint32_t error;
    int64_t stored;
  } cases[] = {
      {0, true, 5, 0}, {-2, true, 5, 0}, {-1, true, 0, 128}, {64, true, 0, 64}, {0, false, 0, 128}};
  for (const Case& c : cases) {
    openFile(literalString(path), OpenMode::Default, OpenAccess::NotGiven, OpenLock::NotGiven, 3,
             c.length, c.given);
    EXPECT_EQ(takeError(), c.error) << c.length;
    if (c.error == 0) {
      const FileSlot& slot = fileTable().slot(fileTable().slotOfNumber(3));
      EXPECT_EQ(slot.mode, FileMode::Random);
      EXPECT_EQ(slot.recordLength, c.stored);
      EXPECT_EQ(slot.nextRecord, 1);
      closeFile(3);
    }
  }
}

TEST_F(FilesTest, OpenFile_AnOpenNumberRaises55AndKeepsItsFile) {
  const std::string first = folder.write("first.txt", "one\r\n");
  const std::string second = folder.write("second.txt", "two\r\n");
  ASSERT_EQ(openForInput(first), 0u);
  EXPECT_EQ(openForInput(second), 55u);
  EXPECT_EQ(runFieldScript("S E"), (std::vector<std::string>{"one", "eof"}));
}

TEST_F(FilesTest, OpenFile_NumberFiveLeavesOneToFourFree) {
  const std::string path = folder.write("five.txt", "x");
  ASSERT_EQ(openForInput(path, 5), 0u);
  EXPECT_GE(fileTable().numberTableSize(), 5);
  for (int32_t number = 1; number <= 4; ++number) EXPECT_FALSE(isOpen(number)) << number;
  EXPECT_TRUE(isOpen(5));
}

TEST_F(FilesTest, OpenFile_EmptyAndEndByteFilesAreAtTheirEndAtOnce) {
  struct Case {
    const char* what;
    std::string bytes;
    const char* script;
    std::vector<std::string> outcomes;
  } cases[] = {
      {"an empty file", "", "ESE", {"eof", " #62", "eof"}},
      {"first byte 26", "\032abc,def\r\n", "ESE", {"eof", " #62", "eof"}},
      {"26 after data", "abc\032def", "ESES", {"more", "abc", "eof", " #62"}},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(openForInput(folder.write("f.txt", c.bytes)), 0u) << c.what;
    EXPECT_EQ(runFieldScript(c.script), c.outcomes) << c.what;
    closeFile(1);
  }
}

TEST_F(FilesTest, CloseFile_IsSilentForNumbersNotOpenAndDoesNotGrowTheTable) {
  ASSERT_EQ(openForInput(folder.write("a.txt", "a")), 0u);
  const int32_t tableSize = fileTable().numberTableSize();
  closeFile(1);
  closeFile(1);
  closeFile(0);
  closeFile(-4);
  closeFile(60000);
  closeFile(0, false);
  EXPECT_EQ(takeError(), 0u);
  EXPECT_EQ(fileTable().numberTableSize(), tableSize);
  EXPECT_FALSE(isOpen(1));
}

TEST_F(FilesTest, CloseFile_WaitsForThePendingErrorButCloseAllFilesDoesNot) {
  ASSERT_EQ(openForInput(folder.write("a.txt", "a"), 1), 0u);
  ASSERT_EQ(openForInput(folder.write("b.txt", "b"), 2), 0u);
  raiseError(62);
  closeFile(1);
  closeFile(0, false);
  takeError();
  EXPECT_TRUE(isOpen(1));
  EXPECT_TRUE(isOpen(2));
  raiseError(62);
  closeAllFiles();
  takeError();
  EXPECT_FALSE(isOpen(1));
  EXPECT_FALSE(isOpen(2));
}

TEST_F(FilesTest, OpenFile_ModeTextTakesItsFirstLetterInEitherCase) {
  const std::string path = folder.write("m.txt", "data");
  struct Case {
    const char* text;
    uint32_t error;
    FileMode mode;
  } cases[] = {
      {"I", 0, FileMode::Input},       {"input", 0, FileMode::Input}, {"r", 0, FileMode::Random},
      {"Binary", 0, FileMode::Binary}, {"a", 0, FileMode::Output},    {"O", 0, FileMode::Output},
      {"", 54, FileMode::None},        {"x", 54, FileMode::None},     {" I", 54, FileMode::None},
  };
  for (const Case& c : cases) {
    openFile(literalString(path), literalString(c.text), OpenAccess::NotGiven, OpenLock::NotGiven,
             1);
    EXPECT_EQ(takeError(), c.error) << c.text;
    const int32_t index = fileTable().slotOfNumber(1);
    EXPECT_EQ(index < 0 ? FileMode::None : fileTable().slot(index).mode, c.mode) << c.text;
    closeFile(1);
  }
}

TEST_F(FilesTest, OpenFile_OutputEmptiesTheFileAndAppendStartsAtItsEnd) {
  const std::string kept = folder.write("kept.txt", "abcdef");
  ASSERT_EQ(openWith(kept, OpenMode::Append), 0u);
  EXPECT_EQ(fileTable().slot(fileTable().slotOfNumber(1)).position, 6);
  closeFile(1);
  EXPECT_EQ(std::filesystem::file_size(kept), 6u);

  ASSERT_EQ(openWith(kept, OpenMode::Output), 0u);
  closeFile(1);
  EXPECT_EQ(std::filesystem::file_size(kept), 0u);

  for (OpenMode mode : {OpenMode::Output, OpenMode::Append, OpenMode::Random}) {
    const std::string created = folder.file("new" + std::to_string(static_cast<int>(mode)));
    EXPECT_EQ(openWith(created, mode), 0u);
    closeFile(1);
    EXPECT_TRUE(std::filesystem::exists(created));
  }
}

TEST_F(FilesTest, OpenFile_LockClausesKeepOtherOpensOfTheSameFileOut) {
  const std::string path = folder.write("shared.txt", "x");
  struct Case {
    OpenLock firstLock;
    OpenMode firstMode;
    OpenMode secondMode;
    OpenLock secondLock;
    uint32_t error;
  } cases[] = {
      {OpenLock::DenyWrite, OpenMode::Input, OpenMode::Output, OpenLock::NotGiven, 70},
      {OpenLock::DenyWrite, OpenMode::Input, OpenMode::Input, OpenLock::NotGiven, 0},
      {OpenLock::DenyRead, OpenMode::Input, OpenMode::Input, OpenLock::NotGiven, 70},
      {OpenLock::DenyReadWrite, OpenMode::Binary, OpenMode::Append, OpenLock::NotGiven, 70},
      {OpenLock::Shared, OpenMode::Random, OpenMode::Input, OpenLock::Shared, 0},
      {OpenLock::NotGiven, OpenMode::Input, OpenMode::Input, OpenLock::DenyWrite, 0},
      {OpenLock::NotGiven, OpenMode::Input, OpenMode::Input, OpenLock::DenyRead, 70},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(openWith(path, c.firstMode, 1, OpenAccess::NotGiven, c.firstLock), 0u);
    EXPECT_EQ(openWith(path, c.secondMode, 2, OpenAccess::NotGiven, c.secondLock), c.error)
        << static_cast<int>(c.firstLock) << " then " << static_cast<int>(c.secondLock);
    EXPECT_EQ(std::filesystem::file_size(path), 1u)
        << "a refused output open must not empty the file";
    closeAllFiles();
  }
}

TEST_F(FilesTest, OpenFile_InputWithWriteAccessFailsAtItsFirstByte) {
  const std::string path = folder.write("w.txt", "abc");
  EXPECT_EQ(openWith(path, OpenMode::Input, 1, OpenAccess::Write), 75u);
  EXPECT_FALSE(isOpen(1));
  EXPECT_EQ(std::filesystem::file_size(path), 3u);
}

TEST_F(FilesTest, LowLevelReads_ReportEachOutcomeWithItsCode) {
  ASSERT_EQ(openForInput(folder.write("low.txt", "abcdef")), 0u);
  const int32_t index = fileTable().slotOfNumber(1);
  char bytes[8] = {};
  EXPECT_EQ(readBytesAt(index, 2, bytes, 3), FileStatus::Ok);
  EXPECT_EQ(std::string(bytes, 3), "cde");
  EXPECT_FALSE(fileTable().slot(index).hitEnd);
  EXPECT_EQ(readBytes(index, bytes, 4), FileStatus::ShortRead);
  EXPECT_EQ(std::string(bytes, 4), std::string("f\0\0\0", 4));
  EXPECT_TRUE(fileTable().slot(index).hitEnd);
  EXPECT_EQ(atOrPastEnd(index), 1);
  EXPECT_EQ(seekTo(index, -1), FileStatus::BadPosition);
  EXPECT_EQ(seekTo(index, 1), FileStatus::Ok);
  EXPECT_EQ(atOrPastEnd(index), 0);
  EXPECT_EQ(fileLength(index), 6);
  EXPECT_EQ(readBytes(index + 100, bytes, 1), FileStatus::NotOpen);
  EXPECT_EQ(fileLength(index + 100), static_cast<int64_t>(FileStatus::NotOpen));

  ASSERT_EQ(openWith(folder.file("out.txt"), OpenMode::Output, 2), 0u);
  EXPECT_EQ(readBytes(fileTable().slotOfNumber(2), bytes, 1), FileStatus::Failed);
}

}  // namespace
}  // namespace rt
