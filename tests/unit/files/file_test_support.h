// Helpers for the file tests: temporary folders, and field-reading scripts whose outcomes read
// as short texts, so that tables of cases compare whole sequences at once.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/core/errors.h"
#include "runtime/files/field_input.h"
#include "runtime/files/file_open.h"
#include "runtime/files/file_table.h"
#include "tests/support/temp_folder.h"

namespace rt::testing {

using TempFolder = support::TempFolder;

inline void appendBytes(const std::string& path, std::string_view bytes) {
  std::ofstream(path, std::ios::binary | std::ios::app)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Takes the pending error, as the user answering "Yes" to its dialog does; 0 when none.
inline uint32_t takeError() {
  uint32_t number = pendingError.exchange(0);
  checkpointPending = 0;
  return number;
}

// Opens `path` for sequential input as `fileNumber`; returns the error raised (0 for none).
inline uint32_t openForInput(const std::string& path, int32_t fileNumber = 1) {
  openFile(literalString(path), OpenMode::Input, OpenAccess::NotGiven, OpenLock::NotGiven,
           fileNumber);
  return takeError();
}

// Opens `name` in `mode` as file `number`; returns the error raised (0 for none).
inline uint32_t openWith(const std::string& name, OpenMode mode, int32_t number = 1,
                         OpenAccess access = OpenAccess::NotGiven,
                         OpenLock lock = OpenLock::NotGiven) {
  openFile(literalString(name), mode, access, lock, number);
  return takeError();
}

// True when the number is bound: the end-of-file test does not raise 52 (bad file number) for
// it.
inline bool isOpen(int32_t number) {
  atEndOfFile(number);
  return takeError() != 52;
}

// One step of a reading script: a string field, a 16-bit integer field, a double field, or the
// end-of-file test.
enum class FieldOp { String, Int16, Double, End };

inline std::string formatNumber(long double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.15Lg", value);
  return text;
}

// Runs one step on `fileNumber`: the field's text, the number, or "eof" / "more", followed by
// " #n" when it raised error n (which is then taken).
inline std::string runFieldOp(FieldOp op, int32_t fileNumber = 1) {
  std::string outcome;
  switch (op) {
    case FieldOp::String: {
      static std::string target;
      target = "<unchanged>";
      inputStringField(fileNumber, target);
      outcome = target;
      break;
    }
    case FieldOp::Int16:
      outcome = formatNumber(inputNumberField(fileNumber, kSigned16Field));
      break;
    case FieldOp::Double:
      outcome = formatNumber(inputNumberField(fileNumber, kFieldFloat | 64));
      break;
    case FieldOp::End: outcome = atEndOfFile(fileNumber) != 0 ? "eof" : "more"; break;
  }
  if (uint32_t error = takeError()) outcome += " #" + std::to_string(error);
  return outcome;
}

// Parses a script such as "SSN E": S string, N 16-bit integer, D double, E end test; blanks
// are ignored.
inline std::vector<std::string> runFieldScript(std::string_view script, int32_t fileNumber = 1) {
  std::vector<std::string> outcomes;
  for (char c : script) {
    if (c == ' ') continue;
    FieldOp op = c == 'S'   ? FieldOp::String
                 : c == 'N' ? FieldOp::Int16
                 : c == 'D' ? FieldOp::Double
                            : FieldOp::End;
    outcomes.push_back(runFieldOp(op, fileNumber));
  }
  return outcomes;
}

// Puts the runtime's file state back to nothing open and nothing pending.
class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    takeError();
    closeAllFiles();
    fileTable().setReadBufferBytes(FileTable::kDefaultReadBufferBytes);
  }
  void TearDown() override {
    takeError();
    closeAllFiles();
    fileTable().setReadBufferBytes(FileTable::kDefaultReadBufferBytes);
  }
  TempFolder folder;
};

}  // namespace rt::testing
