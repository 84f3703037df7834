// Files that change while they are open: another program appends to the spot log while it is
// read, or cuts it short, or removes it.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <random>
#include <thread>

#include "runtime/files/field_input.h"
#include "tests/unit/files/file_test_support.h"
#include "tests/unit/files/reference_reader.h"

namespace rt {
namespace {

using testing::FieldOp;
using testing::FilesTest;
using testing::openForInput;
using testing::runFieldOp;
using testing::takeError;

TEST_F(FilesTest, AFileGrowingBetweenReadsIsReadAsByteByByteReadsReadIt) {
  std::mt19937 random(13072020);
  for (int64_t blockBytes : {1, 5, 64, 65536}) {
    SCOPED_TRACE("block of " + std::to_string(blockBytes) + " bytes");
    fileTable().setReadBufferBytes(blockBytes);
    const std::string text = testing::randomFieldText(random, 30000);
    size_t written = 40;
    const std::string path = folder.write("growing.log", text.substr(0, written));
    ASSERT_EQ(openForInput(path), 0u);
    testing::ReferenceReader reference(path);

    const FieldOp ops[] = {FieldOp::String, FieldOp::String, FieldOp::Double, FieldOp::End};
    std::uniform_int_distribution<int> pickOp(0, 3), opsPerStep(1, 6);
    // Chunks cut anywhere: inside fields, between CR and LF, right after a number. Most are
    // appended once the reads have met the end of the file, the case where the rules about
    // the end test and hitEnd matter.
    std::uniform_int_distribution<size_t> chunk(0, 40), oneIn(0, 7);
    int steps = 0;
    while (written < text.size() || !reference.drained()) {
      ASSERT_LT(++steps, 200000) << "the reads made no progress";
      if (reference.drained() || oneIn(random) == 0) {
        const size_t more = std::min(chunk(random), text.size() - written);
        testing::appendBytes(path, std::string_view(text).substr(written, more));
        written += more;
      }
      for (int n = opsPerStep(random); n > 0; --n) {
        const FieldOp op = ops[pickOp(random)];
        ASSERT_EQ(runFieldOp(op), reference.run(op)) << "at byte " << written;
      }
    }
    EXPECT_EQ(runFieldOp(FieldOp::End), "eof");
    closeFile(1);
  }
}

// One 64-byte log record; 64-byte records never straddle a page, so an append of one record
// becomes visible to readers whole.
std::string logRecord(int index) {
  char text[80];
  std::snprintf(text, sizeof text, "QQ%d,10.14%04d,%02d:%02d:00,EM22,%d,", index, index % 10000,
                index / 60 % 24, index % 60, index % 40 - 30);
  std::string record(text);
  record.resize(62, 'x');
  return record + "\r\n";
}

// Reads the whole log once as the application does; returns the records read, in order.
std::vector<std::string> readLogPass(const std::string& path) {
  std::vector<std::string> records;
  if (openForInput(path) != 0) return {"open failed"};
  std::string field;
  inputStringField(1, field);
  while (atEndOfFile(1) == 0) {
    std::string call, frequency, time, grid, power;
    inputStringField(1, call);
    inputStringField(1, frequency);
    inputStringField(1, time);
    inputStringField(1, grid);
    const long double snr = inputNumberField(1, kSigned16Field);
    inputStringField(1, power);
    if (uint32_t error = takeError()) {
      records.push_back("error " + std::to_string(error));
      break;
    }
    records.push_back(call + "," + frequency + "," + time + "," + grid + "," +
                      std::to_string(static_cast<int>(snr)) + "," + power + "\r\n");
  }
  closeFile(1);
  return records;
}

TEST_F(FilesTest, RecordsAppendedByAnotherWriterDuringTheReadsArriveWholeAndInOrder) {
  constexpr int kRecords = 20000;
  std::string header = "Spots heard on 30 m";
  header.resize(62, ' ');
  const std::string path = folder.write("live.log", header + "\r\n");
  // Blocks that end inside records, so refills meet the writer mid-record.
  fileTable().setReadBufferBytes(1000);

  std::atomic<bool> writerDone{false};
  std::thread writer([&] {
    // Unbuffered, so that each record is appended with one write of its own.
    std::FILE* log = std::fopen(path.c_str(), "ab");
    if (log != nullptr) {
      std::setvbuf(log, nullptr, _IONBF, 0);
      for (int i = 0; i < kRecords; ++i) {
        const std::string record = logRecord(i);
        if (std::fwrite(record.data(), 1, record.size(), log) != record.size()) break;
        if (i % 400 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
      std::fclose(log);
    }
    writerDone = true;
  });

  size_t lastCount = 0;
  int passes = 0;
  for (bool finalPass = false; !finalPass; ++passes) {
    finalPass = writerDone.load();
    const std::vector<std::string> records = readLogPass(path);
    ASSERT_GE(records.size(), lastCount) << "a later pass saw fewer records";
    for (size_t i = 0; i < records.size(); ++i) {
      ASSERT_EQ(records[i], logRecord(static_cast<int>(i))) << "pass " << passes << " record " << i;
    }
    lastCount = records.size();
  }
  writer.join();
  EXPECT_EQ(lastCount, static_cast<size_t>(kRecords));
  EXPECT_GE(passes, 1);
}

TEST_F(FilesTest, ALogCutShortOrRemovedWhileOpenEndsCleanly) {
  std::string log = "heading\r\n";
  for (int i = 0; i < 100; ++i) log += logRecord(i);
  fileTable().setReadBufferBytes(256);
  struct Case {
    const char* what;
    uintmax_t cutTo;  // the new length, or the file is removed
    bool removed;
  } cases[] = {
      {"cut to nothing", 0, false}, {"cut behind the reader", 300, false}, {"removed", 0, true}};
  for (const Case& c : cases) {
    const std::string path = folder.write("cut.log", log);
    ASSERT_EQ(openForInput(path), 0u) << c.what;
    std::string field;
    for (int i = 0; i < 61; ++i) inputStringField(1, field);  // the heading and ten records
    if (c.removed)
      std::filesystem::remove(path);
    else
      std::filesystem::resize_file(path, c.cutTo);

    std::vector<std::string> lastFields;
    for (int guard = 0; atEndOfFile(1) == 0; ++guard) {
      ASSERT_LT(guard, 1000) << c.what << ": the end was never reached";
      for (int f = 0; f < 6; ++f) inputStringField(1, field);
      const uint32_t error = takeError();
      lastFields.push_back(error != 0 ? "error " + std::to_string(error) : field);
    }
    if (c.removed) {
      // The open file keeps its data: every record is read, as if nothing happened.
      EXPECT_EQ(lastFields.size(), 90u) << c.what;
      std::string last = logRecord(99);
      last.resize(62);
      EXPECT_EQ(lastFields.back(), last.substr(last.rfind(',') + 1)) << c.what;
    } else {
      // Records already buffered may still arrive; then one clear error, then the end.
      ASSERT_FALSE(lastFields.empty()) << c.what;
      EXPECT_EQ(lastFields.back(), "error 75") << c.what;
      EXPECT_LE(lastFields.size(), 5u) << c.what;
    }
    closeFile(1);
  }
}

}  // namespace
}  // namespace rt
