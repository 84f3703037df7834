#include "runtime/files/field_input.h"

#include <filesystem>

#include "runtime/core/string_engine.h"
#include "tests/unit/files/file_test_support.h"
#include "tests/unit/files/reference_reader.h"

namespace rt {
namespace {

using testing::FieldOp;
using testing::FilesTest;
using testing::formatNumber;
using testing::openForInput;
using testing::runFieldOp;
using testing::runFieldScript;
using testing::takeError;

struct ScriptCase {
  const char* what;
  std::string bytes;
  const char* script;  // S string, N 16-bit integer, D double, E end test
  std::vector<std::string> outcomes;
};

class FieldInputTest : public FilesTest {
 protected:
  void expectScripts(const std::vector<ScriptCase>& cases) {
    for (const ScriptCase& c : cases) {
      ASSERT_EQ(openForInput(folder.write("fields.txt", c.bytes)), 0u) << c.what;
      EXPECT_EQ(runFieldScript(c.script), c.outcomes) << c.what;
      closeFile(1);
    }
  }
};

TEST_F(FieldInputTest, FieldsEndAtCommasAndLineEndsAndTheEndTestFollowsTheLastByte) {
  expectScripts({
      {"a log record with padded, quoted and signed fields and a note",
       " QQ1ABC ,\"14,07\",07:05:00, JT ,-07,note x\r\n",
       "SSSSNS E",
       {"QQ1ABC", "14,07", "07:05:00", "JT", "-7", "note x", "eof"}},
      {"a and b without a line end", "a,b", "S E S E", {"a", "more", "b", "eof"}},
      {"an empty line in the middle", "x\r\n\r\ny\r\n", "SSSE", {"x", "", "y", "eof"}},
      {"a trailing empty line", "a,b\r\n\r\n", "SSE SS", {"a", "b", "more", "", " #62"}},
      {"a lone CR", "a\rb", "SS E", {"a", "b", "eof"}},
      {"a lone LF", "a\nb", "SS E", {"a", "b", "eof"}},
      {"LF CR as one line end", "a\n\rb", "SS E", {"a", "b", "eof"}},
      {"CR CR as two line ends", "a\r\rb", "SSS E", {"a", "", "b", "eof"}},
      {"LF LF as two line ends", "a\n\nb", "SSS E", {"a", "", "b", "eof"}},
      {"CR LF LF as two line ends", "a\r\n\nb", "SSS", {"a", "", "b"}},
      {"two commas in a row", "a,,b", "SSS", {"a", "", "b"}},
      {"blanks around an unquoted field", " \t a b \t ,c", "SS", {"a b", "c"}},
      {"a quoted comma, text after the quote dropped",
       "\"x, y\" junk,next",
       "SS",
       {"x, y", "next"}},
      {"blanks inside quotes kept", "  \" padded \"\r\nz", "SS", {" padded ", "z"}},
      {"line ends inside quotes kept", "\"l1\r\nl2\",z", "SS", {"l1\r\nl2", "z"}},
      {"a quote left open to the end", "\"abc,def", "S E", {"abc,def", "eof"}},
      {"zero bytes are data",
       std::string("a\0b,\0", 5),
       "SS E",
       {std::string("a\0b", 3), std::string(1, '\0'), "eof"}},
      {"byte 26 after a field", "a\032b", "S E", {"a", "eof"}},
      {"byte 26 ends the data for good", "a,\032b,c", "S E S E", {"a", "more", " #62", "eof"}},
      {"byte 26 inside quotes", "\"ab\032cd\"", "S E", {"ab", "eof"}},
      {"byte 26 right after a CR", "a\r\032", "S E", {"a", "eof"}},
      {"byte 26 right after CR LF", "a\r\n\032", "S E", {"a", "eof"}},
  });
}

TEST_F(FieldInputTest, NumberFieldsEndAtSpacesAndDropTheRestOfTheField) {
  expectScripts({
      {"numbers separated by a space", "12 34", "NN E", {"12", "34", "eof"}},
      {"a space ends a number and the next field has no digits",
       "12 abc,5",
       "NNN",
       {"12", "0", "5"}},
      {"text after a number is dropped", "12abc,5", "NN", {"12", "5"}},
      {"a tab before a number gives 0", "\t7 8", "NN", {"0", "8"}},
      {"spaces then a comma", "12   , 5\r\n", "NN E", {"12", "5", "eof"}},
      {"a number then the last line end", "5\r\n", "N E", {"5", "eof"}},
      {"a number field on an empty line", "1\r\n\r\n", "N E N E", {"1", "more", "0", "eof"}},
      {"no number before the end", "   ", "N", {"0 #62"}},
      {"a number then a string", "-12,QQ1A", "NS", {"-12", "QQ1A"}},
  });
}

TEST_F(FieldInputTest, NumberTextsConvertAndCheckTheirTargetType) {
  constexpr uint32_t kInt16 = kSigned16Field;
  constexpr uint32_t kDouble = kFieldFloat | 64;
  constexpr uint32_t kSingle = kFieldFloat | 32;
  constexpr uint32_t kUnsigned16 = kFieldUnsigned | 16;
  constexpr uint32_t kInt64 = 64;
  struct Case {
    std::string text;
    uint32_t type;
    const char* outcome;
  } cases[] = {
      {"1.5E2", kDouble, "150"},
      {".05", kDouble, "0.05"},
      {"1d2", kDouble, "100"},
      {"&HFF", kInt16, "255"},
      {"&hff", kInt16, "255"},
      {"&O17", kInt16, "15"},
      {"32768", kInt16, "0 #6"},
      {"-32768", kInt16, "-32768"},
      {"32767", kInt16, "32767"},
      {"-32769", kInt16, "0 #6"},
      {"2.5", kInt16, "2"},
      {"3.5", kInt16, "4"},
      {"-2.5", kInt16, "-2"},
      {"32767.5", kInt16, "0 #6"},
      {"-32768.5", kInt16, "-32768"},
      {"&HFFFF", kInt16, "0 #6"},
      {"&", kInt16, "0"},
      {"&X12", kInt16, "0"},
      {"&H", kInt16, "0"},
      {"+5", kInt16, "5"},
      {"--5", kInt16, "0"},
      {"00012", kInt16, "12"},
      {"-.5", kDouble, "-0.5"},
      {"12e-1", kDouble, "1.2"},
      {"0.000123", kDouble, "0.000123"},
      {"1.2.3", kDouble, "1.2"},
      {"1E2E3", kDouble, "100"},
      {"1e", kDouble, "1"},
      {"1e+", kDouble, "1"},
      {"-0", kDouble, "0"},
      {"1" + std::string(255, '0'), kDouble, "1e+255"},
      {"1" + std::string(256, '0'), kDouble, "0 #6"},
      {"0." + std::string(300, '0') + "1", kDouble, "1e-301"},
      {"1E" + std::string(18, '1'), kDouble, "0 #6"},
      {"1E" + std::string(19, '1'), kDouble, "0 #6"},
      {"1E" + std::string(30, '0') + "1", kDouble, "10"},
      {"1E309", kDouble, "0 #6"},
      {"1.7976931348623157E308", kDouble, "1.79769313486232e+308"},
      {"1.7976931348623158E308", kDouble, "0 #6"},
      {"0.1E309", kDouble, "1e+308"},
      {"1E-400", kDouble, "0"},
      {"2.4E-324", kDouble, "0"},
      {"5E-324", kDouble, "4.94065645841247e-324"},
      {"123456789012345678999", kDouble, "1.23456789012346e+20"},
      {"&H" + std::string(16, 'F'), kInt64, "-1"},
      {"&H1" + std::string(16, '0'), kInt64, "0 #6"},
      {"&O1" + std::string(21, '7'), kInt64, "-1"},
      {"&O2" + std::string(21, '0'), kInt64, "0 #6"},
      {"-9223372036854775808", kInt64, "-9.22337203685478e+18"},
      {"9223372036854775807", kInt64, "0 #6"},
      {"1E39", kSingle, "0 #6"},
      {"-1E39", kSingle, "0 #6"},
      {"3E38", kSingle, "3e+38"},
      {"-1", kUnsigned16, "0 #6"},
      {"65535", kUnsigned16, "65535"},
      {"65536", kUnsigned16, "0 #6"},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(openForInput(folder.write("n.txt", c.text + ",7\r\n")), 0u);
    long double value = inputNumberField(1, c.type);
    std::string outcome = formatNumber(value);
    if (uint32_t error = takeError()) outcome += " #" + std::to_string(error);
    EXPECT_EQ(outcome, c.outcome) << c.text.substr(0, 40);
    // The whole field is consumed, whatever its outcome.
    EXPECT_EQ(runFieldOp(FieldOp::Int16), "7") << c.text.substr(0, 40);
    closeFile(1);
  }
}

TEST_F(FieldInputTest, ReadsFailWithTheNumberOfTheirFault) {
  ASSERT_EQ(openForInput(folder.write("in.txt", "abc,5\r\n")), 0u);
  openFile(literalString(folder.file("out.txt")), OpenMode::Output, OpenAccess::NotGiven,
           OpenLock::NotGiven, 2);
  ASSERT_EQ(takeError(), 0u);
  struct Case {
    FieldOp op;
    int32_t number;
    const char* outcome;
  } cases[] = {
      {FieldOp::String, 3, "<unchanged> #52"}, {FieldOp::Int16, 3, "0 #52"},
      {FieldOp::End, 3, "more #52"},           {FieldOp::String, 0, "<unchanged> #52"},
      {FieldOp::String, 2, "<unchanged> #54"}, {FieldOp::Int16, 2, "0 #54"},
      {FieldOp::String, -1, "<unchanged>"},
  };
  for (const Case& c : cases) EXPECT_EQ(runFieldOp(c.op, c.number), c.outcome) << c.number;
  EXPECT_EQ(readInputChar(fileTable().slotOfNumber(1) + 50), -2);
  EXPECT_EQ(takeError(), 258u);
  // None of the failures above touched file 1.
  EXPECT_EQ(runFieldScript("SNE"), (std::vector<std::string>{"abc", "5", "eof"}));
}

TEST_F(FieldInputTest, APendingErrorMakesFieldReadsInertButNotTheEndTest) {
  ASSERT_EQ(openForInput(folder.write("p.txt", "abc,5")), 0u);
  raiseError(6);
  std::string target = "old";
  inputStringField(1, target);
  EXPECT_EQ(target, "old");
  EXPECT_EQ(inputNumberField(1, kSigned16Field), 0);
  EXPECT_EQ(atEndOfFile(1), 0);
  EXPECT_EQ(takeError(), 6u);
  EXPECT_EQ(runFieldScript("SNE"), (std::vector<std::string>{"abc", "5", "eof"}));
}

TEST_F(FieldInputTest, FieldsOfMegabytesAreReadWhole) {
  const std::string big(3 << 20, 'x');
  std::string quoted = "\"";
  for (int i = 0; i < 100000; ++i) quoted += "ab,c\r\nd ";
  quoted += "\"";
  std::string lineEnds;
  for (int i = 0; i < 100000; ++i) lineEnds += "\r\n";
  ASSERT_EQ(openForInput(folder.write(
                "big.txt", big + ",tail\r\n" + quoted + ",z\r\n" + std::string(2 << 20, '7') +
                               ",8\r\n" + std::string(1 << 20, ' ') + "42 5" +
                               std::string(1 << 20, 'q') + ",6\r\n" + lineEnds + "end")),
            0u);
  std::vector<std::string> outcomes = runFieldScript("SS SS NN NNN");
  EXPECT_EQ(outcomes[0].size(), big.size());
  EXPECT_EQ(outcomes[0], big);
  EXPECT_EQ(outcomes[2], quoted.substr(1, quoted.size() - 2));
  outcomes[0] = outcomes[2] = "";
  EXPECT_EQ(outcomes, (std::vector<std::string>{"", "tail", "", "z", "0 #6", "8", "42", "5", "6"}));
  std::string target;
  for (int i = 0; i < 100000; ++i) inputStringField(1, target);
  EXPECT_EQ(runFieldScript("SE"), (std::vector<std::string>{"end", "eof"}));
}

// Runs the same random script on the runtime's reader (file 1) and on the byte-by-byte
// reference, until both are at the end, and compares every outcome.
void compareWithReference(const std::string& path, std::mt19937& random, int steps) {
  testing::ReferenceReader reference(path);
  const FieldOp ops[] = {FieldOp::String, FieldOp::String, FieldOp::Double, FieldOp::End};
  std::uniform_int_distribution<int> pick(0, 3);
  for (int step = 0; step < steps; ++step) {
    const FieldOp op = ops[pick(random)];
    ASSERT_EQ(runFieldOp(op), reference.run(op))
        << "step " << step << " op " << static_cast<int>(op);
    if (reference.atEnd() && atEndOfFile(1) != 0) return;
  }
  FAIL() << "the end of the data was not reached";
}

TEST_F(FieldInputTest, BlockReadsGiveWhatByteByByteReadsGiveAtEveryBlockSize) {
  std::mt19937 random(20200622);
  for (int64_t blockBytes : {1, 2, 7, 64, 4096, 65536}) {
    SCOPED_TRACE("block of " + std::to_string(blockBytes) + " bytes");
    fileTable().setReadBufferBytes(blockBytes);
    std::string text = testing::randomFieldText(random, blockBytes < 100 ? 20000 : 200000);
    if (blockBytes == 7) text += "a,b\032c,d";  // the end byte in the middle of the data
    const std::string path = folder.write("random.txt", text);
    ASSERT_EQ(openForInput(path), 0u);
    compareWithReference(path, random, 1000000);
    closeFile(1);
  }
}

// The longest string field, lowered to kLongest bytes so that small files reach it.
class LongestFieldTest : public FieldInputTest {
 protected:
  static constexpr size_t kLongest = 64;
  void SetUp() override {
    FieldInputTest::SetUp();
    setLongestStringFieldForTesting(kLongest);
  }
  void TearDown() override {
    setLongestStringFieldForTesting(kLongestStringField);
    FieldInputTest::TearDown();
  }
  // Reads the first field of `bytes` with blocks of `blockBytes`; ends the process on 512.
  std::string firstField(const std::string& bytes, int64_t blockBytes) {
    fileTable().setReadBufferBytes(blockBytes);
    if (openForInput(folder.write("long.txt", bytes)) != 0) return "<open failed>";
    std::string target = "<unchanged>";
    inputStringField(1, target);
    return target;
  }
};

TEST_F(LongestFieldTest, FieldsUpToTheLongestAreReadWholeWhateverTheBlockSize) {
  const std::string longest(kLongest, 'x');
  for (int64_t blockBytes : {1, 7, 64, 4096}) {
    SCOPED_TRACE("block of " + std::to_string(blockBytes) + " bytes");
    EXPECT_EQ(firstField(longest + ",next", blockBytes), longest);
    EXPECT_EQ(runFieldScript("SE"), (std::vector<std::string>{"next", "eof"}));
    closeFile(1);
    EXPECT_EQ(firstField("  \"" + longest + "\" dropped\r\nnext", blockBytes), longest);
    EXPECT_EQ(runFieldScript("SE"), (std::vector<std::string>{"next", "eof"}));
    closeFile(1);
    // Trailing blanks past the longest are dropped with the rest of the blanks.
    EXPECT_EQ(firstField(longest + std::string(300, ' ') + "\t \r\nnext", blockBytes), longest);
    EXPECT_EQ(runFieldScript("SE"), (std::vector<std::string>{"next", "eof"}));
    closeFile(1);
    const std::string shorter = std::string(kLongest - 3, 'y') + "  z";
    EXPECT_EQ(firstField(shorter + std::string(100, ' '), blockBytes), shorter);
    EXPECT_EQ(takeError(), 0u);
    closeFile(1);
  }
}

using LongestFieldDeathTest = LongestFieldTest;

TEST_F(LongestFieldDeathTest, AFieldLongerThanTheLongestIsOutOfStringMemory) {
  const std::string longest(kLongest, 'x');
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"one byte more", longest + "x,next"},
      {"one byte more at the end of the data", longest + "x"},
      {"a quoted field one byte longer", "\"" + longest + "x\",next"},
      {"a quoted field with blanks past the longest", "\"" + longest + "  \",next"},
      {"blanks past the longest, then more text", longest + std::string(100, ' ') + "z,next"},
      {"a tab past the longest, then more text", std::string(kLongest - 1, 'x') + "\tz"},
  };
  for (const auto& c : cases) {
    for (int64_t blockBytes : {1, 7, 4096}) {
      SCOPED_TRACE(std::string(c.what) + ", block of " + std::to_string(blockBytes) + " bytes");
      EXPECT_EXIT(firstField(c.bytes, blockBytes), ::testing::ExitedWithCode(0),
                  "Critical Error #12: Out of memory");
    }
  }
}

TEST_F(LongestFieldDeathTest, AStringVariableIsNeverGivenATooLongFieldAsAnEmptyValue) {
  initStringEngine();
  RtString* target = newString(0, false);
  ASSERT_EQ(openForInput(folder.write("variable.txt", std::string(kLongest, 'v') + ",w\r\n")), 0u);
  inputStringField(1, target);
  EXPECT_EQ(target->view(), std::string(kLongest, 'v'));
  closeFile(1);
  const std::string tooLong(kLongest + 1, 'v');
  ASSERT_EQ(openForInput(folder.write("variable.txt", tooLong + ",w\r\n")), 0u);
  EXPECT_EXIT(inputStringField(1, target), ::testing::ExitedWithCode(0),
              "Critical Error #12: Out of memory");
}

// The real limit, 2^31 - 1 bytes, on a sparse file one byte longer (its bytes are zeros, which
// are data): nothing is written to disk, but the reader keeps 2 GiB in memory and reads 2 GiB,
// so the test runs only when asked for (--gtest_also_run_disabled_tests).
TEST_F(FieldInputTest, DISABLED_AFieldOfTwoGibibytesIsOutOfStringMemoryNotAnEmptyString) {
  initStringEngine();
  RtString* target = newString(0, false);
  const std::string path = folder.file("sparse.txt");
  {
    std::ofstream create(path, std::ios::binary);
  }
  std::error_code error;
  std::filesystem::resize_file(path, static_cast<uintmax_t>(kLongestStringField) + 1, error);
  ASSERT_FALSE(error) << error.message();
  ASSERT_EQ(openForInput(path), 0u);
  EXPECT_EXIT(inputStringField(1, target), ::testing::ExitedWithCode(0),
              "Critical Error #12: Out of memory");
}

}  // namespace
}  // namespace rt
