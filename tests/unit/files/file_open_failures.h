// What the POSIX and the Windows file-open tests share: opens that must fail on either system,
// the check that each raises its numbered error and leaves the file number free, and a settings
// file reached through names in other letter cases.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "runtime/files/file_open.h"
#include "tests/unit/files/file_test_support.h"

namespace rt::testing {

// Opening `name` in `mode` as file `number` must raise `error`.
struct OpenFailure {
  const char* what;
  std::string name;
  OpenMode mode;
  uint32_t error;
  int32_t number = 1;
};

// The failures that do not depend on the system's names. `plain` is a file of the folder and
// the folder holds a subfolder named "sub".
inline std::vector<OpenFailure> openFailuresOnEverySystem(const TempFolder& folder,
                                                          const std::string& plain) {
  return {
      {"missing file", folder.file("missing.txt"), OpenMode::Input, 53},
      {"a folder for input", folder.file("sub"), OpenMode::Input, 70},
      {"a folder for output", folder.file("sub"), OpenMode::Output, 70},
      {"a serial-port name", "COM1:9600,N,8,1", OpenMode::Input, 68},
      {"a zero byte inside the name", plain + std::string("\0x", 2), OpenMode::Input, 64},
      {"a name too long", folder.file(std::string(5000, 'a')), OpenMode::Input, 64},
      {"number 0", plain, OpenMode::Input, 52, 0},
      {"a negative number", plain, OpenMode::Input, 52, -1},
      {"a number too large to table", plain, OpenMode::Input, 52, 2'000'000'000},
      {"a mode outside the list", plain, static_cast<OpenMode>(6), 5},
  };
}

// A failed open must not bind its number, so each number is checked to be free afterwards.
inline void expectEachOpenFails(std::span<const OpenFailure> failures) {
  for (const OpenFailure& failure : failures) {
    EXPECT_EQ(openWith(failure.name, failure.mode, failure.number), failure.error)
        << failure.what;
    if (failure.number >= 1) {
      EXPECT_FALSE(isOpen(failure.number)) << failure.what;
    }
  }
}

// Writes Ferlang.set, reads its first field through the name Ferlang.SET and appends to it
// through FERLANG.SET. Call it inside ASSERT_NO_FATAL_FAILURE.
inline void reachSettingsThroughOtherLetterCases(const TempFolder& folder) {
  folder.write("Ferlang.set", "log.txt,QQ1AAA\r\n");
  ASSERT_EQ(openForInput(folder.file("Ferlang.SET")), 0u);
  EXPECT_EQ(runFieldScript("S"), std::vector<std::string>{"log.txt"});
  closeFile(1);
  ASSERT_EQ(openWith(folder.file("FERLANG.SET"), OpenMode::Append), 0u);
  closeFile(1);
}

}  // namespace rt::testing
