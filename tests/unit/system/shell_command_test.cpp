// Shell launch, the parts every platform shares: splitting a command at its first blank, the
// parameters of a program, and the interpreter's internal commands.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/system/shell_launch.h"

namespace rt {
namespace {

// ---- Splitting and the internal-command list ----------------------------------------------------

TEST(SplitCommand, SplitsAtTheFirstBlankOutsideDoubleQuotes) {
  struct Case {
    std::string_view command, word, rest;
  } cases[] = {
      {"CMD /C start notepad \"Ferlang.set\"", "CMD", "/C start notepad \"Ferlang.set\""},
      {"\"C:\\Program Files\\Tool\\tool.exe\" -x", "\"C:\\Program Files\\Tool\\tool.exe\"", "-x"},
      {" leading", "", "leading"},
      {"single", "single", ""},
      {"two  blanks", "two", " blanks"},
      {"trailing ", "trailing", ""},
      {"a\"b c\"d e", "a\"b c\"d", "e"},
      {"\"unclosed quote x", "\"unclosed quote x", ""},
      {"tab\tis no blank", "tab\tis", "no blank"},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    CommandSplit split = splitCommand(c.command);
    EXPECT_EQ(split.word, c.word) << c.command;
    EXPECT_EQ(split.rest, c.rest) << c.command;
  }
}

TEST(SplitParameters, SplitsAtBlanksOutsideQuotesAndRemovesTheQuotes) {
  struct Case {
    std::string_view parameters;
    std::vector<std::string> arguments;
  } cases[] = {
      {"/C start notepad x", {"/C", "start", "notepad", "x"}},
      {"\"two words\" x", {"two words", "x"}},
      {"a  b ", {"a", "b"}},
      {"a\"b c\"d", {"ab cd"}},
      {"\"\" x", {"", "x"}},
      {"it's;$(id)", {"it's;$(id)"}},
      {"", {}},
      {"   ", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(splitParameters(c.parameters), c.arguments) << c.parameters;
}

TEST(InternalCommands, AllFortySixWordsInAnyLetterCaseAndNothingElse) {
  const char* words[] = {"ASSOC", "BREAK",    "BCDBOOT",  "BCDEDIT", "CALL",   "CD",   "CHDIR",
                         "CLS",   "COLOR",    "COPY",     "DATE",    "DEFRAG", "DEL",  "DIR",
                         "ECHO",  "ENDLOCAL", "ERASE",    "FOR",     "FTYPE",  "GOTO", "GRAFTABL",
                         "IF",    "MD",       "MKDIR",    "MKLINK",  "MOVE",   "PATH", "PAUSE",
                         "POPD",  "PROMPT",   "PUSHD",    "RD",      "REM",    "REN",  "RENAME",
                         "RMDIR", "SET",      "SETLOCAL", "SHIFT",   "START",  "TIME", "TITLE",
                         "TYPE",  "VER",      "VERIFY",   "VOL"};
  ASSERT_EQ(std::size(words), 46u);
  for (std::string word : words) {
    EXPECT_EQ(isInternalCommand(word), 1) << word;
    std::string lower = word;
    for (char& c : lower) c = static_cast<char>(c + 32);
    EXPECT_EQ(isInternalCommand(lower), 1) << lower;
    std::string mixed = lower;
    mixed[0] = word[0];
    EXPECT_EQ(isInternalCommand(mixed), 1) << mixed;
  }
  for (std::string_view other : {"", "CMD", "DIRS", "DI", "dir ", " dir", "dir /w", "ECHO.",
                                 "notepad", "SETLOCALS", "xdg-open", "d\xC9r"}) {
    EXPECT_EQ(isInternalCommand(other), 0) << other;
  }
}

}  // namespace
}  // namespace rt
