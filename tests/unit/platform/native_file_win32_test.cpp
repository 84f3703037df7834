// Native files on Windows (CreateFileA and friends): reads, positions and lengths, the failure
// codes of an open, names in any letter case, and a file that another handle appends to, cuts
// or removes while it is open.
#include "runtime/platform/native_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "tests/support/temp_folder.h"

namespace rt {
namespace {

namespace fs = std::filesystem;

class NativeFileTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(folder.path().empty()); }

  // Names join with the Windows separator, as a Windows program would write them.
  std::string file(std::string_view name) const {
    return folder.path() + "\\" + std::string(name);
  }
  std::string write(std::string_view name, std::string_view bytes) const {
    folder.write(name, bytes);
    return file(name);
  }
  // Reads up to `count` bytes at the file pointer, as text.
  static std::string readText(NativeFile& native, size_t count) {
    std::string bytes(count, '\0');
    NativeRead got = native.read(bytes.data(), count);
    EXPECT_EQ(got.status, FileStatus::Ok);
    bytes.resize(static_cast<size_t>(got.bytes));
    return bytes;
  }

  support::TempFolder folder{"ferlang-native-"};
};

TEST_F(NativeFileTest, ReadsSeeksAndKnowsItsLength) {
  const std::string path = write("spots.log", "0123456789\r\nabc");
  NativeFile native;
  ASSERT_EQ(native.open(path, true, false, NativeCreation::OpenExisting), FileStatus::Ok);
  EXPECT_TRUE(native.isOpen());
  EXPECT_EQ(native.size(), 15);
  EXPECT_EQ(readText(native, 4), "0123");
  EXPECT_EQ(readText(native, 4), "4567");
  EXPECT_EQ(native.seek(10), FileStatus::Ok);
  EXPECT_EQ(readText(native, 100), "\r\nabc") << "bytes pass unchanged, CR LF included";
  EXPECT_EQ(readText(native, 100), "") << "the end of the file reads nothing";
  EXPECT_EQ(native.seek(-1), FileStatus::BadPosition);
  EXPECT_EQ(native.seek(100), FileStatus::Ok) << "a position past the end is allowed";
  EXPECT_EQ(readText(native, 1), "");
  native.close();
  EXPECT_FALSE(native.isOpen());
  EXPECT_EQ(native.size(), static_cast<int64_t>(FileStatus::Failed));
  char byte = 0;
  EXPECT_EQ(native.read(&byte, 1).status, FileStatus::NotOpen);
  EXPECT_EQ(native.seek(0), FileStatus::NotOpen);
}

TEST_F(NativeFileTest, OpenFailuresMapToTheirCodes) {
  const std::string plain = write("plain.txt", "x");
  fs::create_directory(file("sub"));
  struct Case {
    const char* what;
    std::string name;
    NativeCreation creation;
    FileStatus status;
  } cases[] = {
      {"missing file", file("missing.txt"), NativeCreation::OpenExisting, FileStatus::NotFound},
      {"missing folder", file("nofolder\\x.txt"), NativeCreation::OpenExisting,
       FileStatus::PathNotFound},
      {"missing folder, created", file("nofolder\\x.txt"), NativeCreation::CreateOrOpen,
       FileStatus::PathNotFound},
      {"a file used as a folder", plain + "\\x", NativeCreation::OpenExisting,
       FileStatus::PathNotFound},
      {"a folder", file("sub"), NativeCreation::OpenExisting, FileStatus::Denied},
      {"a folder, created", file("sub"), NativeCreation::CreateOrOpen, FileStatus::Denied},
      {"the NUL device", "NUL", NativeCreation::OpenExisting, FileStatus::DeviceUnavailable},
      {"a zero byte inside", plain + std::string("\0x", 2), NativeCreation::OpenExisting,
       FileStatus::BadName},
      {"a wildcard", file("*.txt"), NativeCreation::OpenExisting, FileStatus::BadName},
      {"a name too long", file(std::string(5000, 'a')), NativeCreation::OpenExisting,
       FileStatus::BadName},
  };
  for (const Case& c : cases) {
    NativeFile native;
    EXPECT_EQ(native.open(c.name, true, false, c.creation), c.status) << c.what;
    EXPECT_FALSE(native.isOpen()) << c.what;
  }
  EXPECT_FALSE(fs::exists(file("nofolder")));
}

TEST_F(NativeFileTest, CreateOrOpenMakesAnEmptyFileAndKeepsAnExistingOne) {
  NativeFile created;
  ASSERT_EQ(created.open(file("new.txt"), false, true, NativeCreation::CreateOrOpen),
            FileStatus::Ok);
  EXPECT_EQ(created.size(), 0);
  EXPECT_TRUE(fs::exists(file("new.txt")));
  const std::string kept = write("kept.txt", "abc");
  NativeFile existing;
  ASSERT_EQ(existing.open(kept, true, true, NativeCreation::CreateOrOpen), FileStatus::Ok);
  EXPECT_EQ(existing.size(), 3);
}

TEST_F(NativeFileTest, ReadingAWriteOnlyFileIsRefusedForAccess) {
  const std::string path = write("out.txt", "abc");
  NativeFile native;
  ASSERT_EQ(native.open(path, false, true, NativeCreation::OpenExisting), FileStatus::Ok);
  char byte = 0;
  EXPECT_EQ(native.read(&byte, 1).status, FileStatus::Denied);
}

TEST_F(NativeFileTest, TruncateEmptiesTheFileAndKeepsThePointer) {
  const std::string path = write("cut.txt", "abcdef");
  NativeFile native;
  ASSERT_EQ(native.open(path, true, true, NativeCreation::OpenExisting), FileStatus::Ok);
  ASSERT_EQ(native.seek(4), FileStatus::Ok);
  EXPECT_EQ(native.truncateToEmpty(), FileStatus::Ok);
  EXPECT_EQ(native.size(), 0);
  EXPECT_EQ(fs::file_size(path), 0u);
  std::ofstream(path, std::ios::binary) << "0123456789";
  EXPECT_EQ(readText(native, 10), "456789") << "the pointer stayed at 4";

  NativeFile readOnly;
  ASSERT_EQ(readOnly.open(path, true, false, NativeCreation::OpenExisting), FileStatus::Ok);
  EXPECT_EQ(readOnly.truncateToEmpty(), FileStatus::Denied);
  EXPECT_EQ(fs::file_size(path), 10u);
}

TEST_F(NativeFileTest, AnyLetterCaseReachesTheSameFile) {
  write("Ferlang.SET", "settings");
  NativeFile exact, other;
  ASSERT_EQ(exact.open(file("Ferlang.SET"), true, false, NativeCreation::OpenExisting),
            FileStatus::Ok);
  ASSERT_EQ(other.open(file("ferlang.set"), true, false, NativeCreation::OpenExisting),
            FileStatus::Ok);
  EXPECT_EQ(exact.id(), other.id());
  EXPECT_EQ(readText(other, 100), "settings");
  NativeFile different;
  ASSERT_EQ(different.open(write("other.txt", "x"), true, false, NativeCreation::OpenExisting),
            FileStatus::Ok);
  EXPECT_FALSE(different.id() == exact.id());
  EXPECT_EQ(existingFileName("ferlang.set"), "ferlang.set");
}

TEST_F(NativeFileTest, MovingHandsTheHandleOver) {
  NativeFile first;
  ASSERT_EQ(first.open(write("a.txt", "abc"), true, false, NativeCreation::OpenExisting),
            FileStatus::Ok);
  const NativeFileId id = first.id();
  NativeFile second(std::move(first));
  EXPECT_FALSE(first.isOpen());
  EXPECT_TRUE(second.isOpen());
  EXPECT_EQ(second.id(), id);
  EXPECT_EQ(readText(second, 3), "abc");
}

// The decoder keeps the spot log open and appends to it while the log is read: the reader's
// handle must let it write, and each read sees what has arrived so far.
TEST_F(NativeFileTest, ReadsWhileAnotherHandleAppends) {
  const std::string path = write("live.log", "");
  NativeFile reader;
  ASSERT_EQ(reader.open(path, true, false, NativeCreation::OpenExisting), FileStatus::Ok);
  std::FILE* writer = std::fopen(path.c_str(), "ab");
  ASSERT_NE(writer, nullptr) << "another program cannot open the log for appending";
  std::setvbuf(writer, nullptr, _IONBF, 0);

  constexpr int kRecords = 2000;
  std::thread appender([writer] {
    for (int i = 0; i < kRecords; ++i) {
      const std::string record = "record " + std::to_string(i) + "\r\n";
      std::fwrite(record.data(), 1, record.size(), writer);
      if (i % 100 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  });
  std::string expected;
  for (int i = 0; i < kRecords; ++i) expected += "record " + std::to_string(i) + "\r\n";

  std::string seen;
  int64_t lastSize = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (seen.size() < expected.size() && std::chrono::steady_clock::now() < deadline) {
    const int64_t size = reader.size();
    EXPECT_GE(size, lastSize) << "the length never goes back while the log grows";
    lastSize = size;
    char block[700];
    NativeRead got = reader.read(block, sizeof block);
    ASSERT_EQ(got.status, FileStatus::Ok);
    seen.append(block, static_cast<size_t>(got.bytes));
  }
  appender.join();
  std::fclose(writer);
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(reader.size(), static_cast<int64_t>(expected.size()));
}

TEST_F(NativeFileTest, AnotherProgramMayRenameOrRemoveAnOpenFile) {
  const std::string path = write("old.log", "abc");
  NativeFile reader;
  ASSERT_EQ(reader.open(path, true, false, NativeCreation::OpenExisting), FileStatus::Ok);
  std::error_code error;
  fs::rename(path, file("new.log"), error);
  EXPECT_FALSE(error) << error.message();
  EXPECT_EQ(readText(reader, 3), "abc");
  fs::remove(file("new.log"), error);
  EXPECT_FALSE(error) << error.message();
}

}  // namespace
}  // namespace rt
