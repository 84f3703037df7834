// The settings file read with the plotter's field rules, and the watched calls taken from it.
#include "feed/settings_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/unit/feed/feed_test_support.h"

namespace feed {
namespace {

using testing::TempFolder;
using testing::writeFile;

TEST(SettingsFile, FieldsFollowThePlottersRules) {
  const struct {
    std::string bytes;
    SettingsFields fields;
  } cases[] = {
      {"wspr.log\r\nDK7QX\r\nG4WNT\r\nSM5XPA\r\nEA5HQO\r\nW3RJD\r\nOH2LRT\r\n",
       {"wspr.log", "DK7QX", "G4WNT", "SM5XPA", "EA5HQO", "W3RJD", "OH2LRT"}},
      // Commas separate too; blanks before a field go, trailing blanks of an unquoted one too.
      {"log,  A1A ,\tB2B\t,C3C\nD4D\nE5E,F6F", {"log", "A1A", "B2B", "C3C", "D4D", "E5E", "F6F"}},
      // Quoted: commas and blanks are data, what follows the closing quote is dropped.
      {"\"my, log\" x\n\" A1A \"junk,B2B\nC\nD\nE\nF", {"my, log", " A1A ", "B2B", "C", "D", "E", "F"}},
      // LF CR is one line end; CR CR and LF LF are two (an empty field between).
      {"log\n\rA\r\rB\n\nC\nD", {"log", "A", "", "B", "", "C", "D"}},
      // Fewer than seven fields: the rest are empty. Byte 26 ends the data.
      {"log\nA1A\n", {"log", "A1A", "", "", "", "", ""}},
      {"log\nA1A\x1a\nB2B\n", {"log", "A1A", "", "", "", "", ""}},
      {"", {"", "", "", "", "", "", ""}},
      // Letter case is kept.
      {"log\nsm5xpa\nSM5XPA", {"log", "sm5xpa", "SM5XPA", "", "", "", ""}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(readSettingsFields(c.bytes), c.fields) << c.bytes;
  }
}

TEST(WatchedCalls, MatchExactlyAndFollowEditsOfTheFile) {
  TempFolder folder;
  const std::string path = folder.file("Ferlang.SET");
  writeFile(path, "wspr.log\r\nDK7QX\r\nG4WNT\r\n\r\nEA5HQO\r\nW3RJD\r\nOH2LRT\r\n");
  WatchedCalls calls(path);
  ASSERT_TRUE(calls.refresh());
  EXPECT_TRUE(calls.watches("DK7QX"));
  EXPECT_TRUE(calls.watches("OH2LRT"));
  EXPECT_FALSE(calls.watches("dk7qx"));    // letter case counts
  EXPECT_FALSE(calls.watches("DK7QX/P"));  // whole text only
  EXPECT_FALSE(calls.watches("DK7Q"));
  EXPECT_FALSE(calls.watches(""));         // an empty watched call matches nothing
  EXPECT_FALSE(calls.watches("wspr.log")); // the first field is the log's name
  writeFile(path, "wspr.log\r\nK1ABC\r\n");
  ASSERT_TRUE(calls.refresh());
  EXPECT_TRUE(calls.watches("K1ABC"));
  EXPECT_FALSE(calls.watches("DK7QX"));
  // A file that cannot be read keeps the calls read before.
  std::filesystem::remove(path);
  EXPECT_FALSE(calls.refresh());
  EXPECT_TRUE(calls.watches("K1ABC"));
}

// True when the two paths name the same file (or, for a file not there, the same name).
bool samePlace(const std::string& a, const std::string& b) {
  std::error_code error;
  if (std::filesystem::exists(a, error) && std::filesystem::exists(b, error)) {
    return std::filesystem::equivalent(a, b, error);
  }
  return std::filesystem::path(a).lexically_normal() == std::filesystem::path(b).lexically_normal();
}

TEST(SettingsFile, IsFoundBesideTheSpotLogIgnoringLetterCase) {
  TempFolder folder;
  const std::string spotLog = folder.file("spots.log");
  EXPECT_TRUE(samePlace(defaultSettingsPath(spotLog), folder.file("Ferlang.SET")));  // none yet
  writeFile(folder.file("ferlang.set"), "x");
  EXPECT_TRUE(samePlace(defaultSettingsPath(spotLog), folder.file("ferlang.set")));
  writeFile(folder.file("Ferlang.SET"), "x");
  EXPECT_TRUE(samePlace(defaultSettingsPath(spotLog), folder.file("Ferlang.SET")));
  EXPECT_TRUE(std::filesystem::exists(defaultSettingsPath(spotLog)));
}

}  // namespace
}  // namespace feed
