#include "runtime/core/string_engine.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "runtime/core/errors.h"
#include "tests/support/runtime_test.h"
#include "tests/support/scripted_message_box.h"

namespace rt {
namespace {

std::string valueOf(const RtString* s) { return std::string(s->view()); }

// The kinds of operand an operation can receive.
enum class Kind { HeapTemporary, Variable, Literal, Fixed };
const Kind kAllKinds[] = {Kind::HeapTemporary, Kind::Variable, Kind::Literal, Kind::Fixed};
const char* kindName(Kind k) {
  switch (k) {
    case Kind::HeapTemporary: return "heap temporary";
    case Kind::Variable: return "variable";
    case Kind::Literal: return "literal";
    case Kind::Fixed: return "fixed";
  }
  return "?";
}

class StringEngineTest : public testing::RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    initStringEngine();
  }
  void TearDown() override {
    EXPECT_EQ(checkStringEngineInvariants(), "");
    pendingError = 0;
    checkpointPending = 0;
  }

  RtString* heapString(std::string_view value, bool temporary) {
    RtString* s = newString(static_cast<int32_t>(value.size()), temporary);
    if (!value.empty()) std::memcpy(s->text, value.data(), value.size());
    return s;
  }
  RtString* temp(std::string_view value) { return heapString(value, true); }
  RtString* variable(std::string_view value) { return heapString(value, false); }
  RtString* operand(Kind kind, const std::string& value) {
    switch (kind) {
      case Kind::HeapTemporary: return temp(value);
      case Kind::Variable: return variable(value);
      case Kind::Literal: {
        keep_.push_back(value);
        return newStringFromText(keep_.back().c_str(), static_cast<int32_t>(value.size()));
      }
      case Kind::Fixed: {
        char* storage = static_cast<char*>(allocateStatic(value.size()));
        std::memcpy(storage, value.data(), value.size());
        return newFixedString(storage, static_cast<int32_t>(value.size()), true);
      }
    }
    return nullptr;
  }

  std::vector<std::string> keep_;  // literal texts outlive their descriptors
  testing::ScriptedMessageBox box;
};

// ---- Substrings ---------------------------------------------------------------------------------

struct MidCase {
  int32_t start;
  int32_t length;  // -1000 = the form without a length
  const char* expected;
};
constexpr int32_t kNoLength = -1000;

const MidCase kMidCases[] = {
    {0, 3, "AB"},         {-5, 3, ""},          {7, kNoLength, ""},    {2, kNoLength, "BCDEF"},
    {0, 2, "A"},          {1, 6, "ABCDEF"},     {3, 100, "CDEF"},      {6, 1, "F"},
    {7, 1, ""},           {2, 0, ""},           {2, -3, ""},           {1, INT_MAX, "ABCDEF"},
    {INT_MIN, INT_MAX, ""}, {INT_MIN, 3, ""},   {-1, 4, "AB"},         {4, 2, "DE"},
    {-3, kNoLength, "ABCDEF"}, {INT_MIN, kNoLength, "ABCDEF"},         {6, kNoLength, "F"},
    {INT_MAX, 5, ""},     {INT_MAX, kNoLength, ""},
};

RtString* applyMid(RtString* s, const MidCase& c) {
  return c.length == kNoLength ? midOf(s, c.start) : midOf(s, c.start, c.length);
}

TEST_F(StringEngineTest, MidOf_GivesTheRangeForEveryKindOfOperand) {
  for (Kind kind : kAllKinds) {
    for (const MidCase& c : kMidCases) {
      const int32_t mark = tempStackTop();
      RtString* s = operand(kind, "ABCDEF");
      RtString* r = applyMid(s, c);
      EXPECT_EQ(valueOf(r), c.expected)
          << kindName(kind) << " start " << c.start << " length " << c.length;
      if (kind == Kind::Variable) {
        EXPECT_EQ(valueOf(s), "ABCDEF") << "operand variable changed";
      }
      releaseTemps(mark, 0);
      ASSERT_EQ(checkStringEngineInvariants(), "") << kindName(kind) << " start " << c.start;
    }
  }
}

TEST_F(StringEngineTest, MidOf_StartBelowOneShortensLength) {
  RtString* s = variable("ABCDEF");
  EXPECT_EQ(valueOf(midOf(s, 0, 3)), "AB");
  EXPECT_EQ(valueOf(midOf(s, -1, 3)), "A");
  EXPECT_EQ(valueOf(midOf(s, -2, 3)), "");
}

struct EndCase {
  int32_t n;
  const char* left;
  const char* right;
};

TEST_F(StringEngineTest, LeftAndRightOf_LimitTheCountToTheOperand) {
  const EndCase cases[] = {{-1, "", ""},       {INT_MIN, "", ""},   {0, "", ""},
                           {1, "A", "C"},      {2, "AB", "BC"},     {3, "ABC", "ABC"},
                           {100, "ABC", "ABC"}, {INT_MAX, "ABC", "ABC"}};
  for (Kind kind : kAllKinds) {
    for (const EndCase& c : cases) {
      const int32_t mark = tempStackTop();
      EXPECT_EQ(valueOf(leftOf(operand(kind, "ABC"), c.n)), c.left) << kindName(kind) << " " << c.n;
      EXPECT_EQ(valueOf(rightOf(operand(kind, "ABC"), c.n)), c.right)
          << kindName(kind) << " " << c.n;
      releaseTemps(mark, 0);
    }
  }
}

TEST_F(StringEngineTest, Substrings_CoveringTheWholeOperandReturnTheOperandItself) {
  for (Kind kind : kAllKinds) {
    RtString* s = operand(kind, "ABC");
    EXPECT_EQ(rightOf(s, 100), s) << kindName(kind);
    EXPECT_EQ(leftOf(s, 3), s) << kindName(kind);
    EXPECT_EQ(midOf(s, 1), s) << kindName(kind);
    EXPECT_EQ(midOf(s, -4, 100), s) << kindName(kind);
  }
}

TEST_F(StringEngineTest, Substrings_TrimATemporaryInPlaceWithoutCopying) {
  RtString* s = temp("Hello, world");
  char* const text = s->text;
  const size_t fill = stringHeapStats().fillMark;
  EXPECT_EQ(midOf(s, 8, 3), s);
  EXPECT_EQ(s->text, text + 7);
  EXPECT_EQ(valueOf(s), "wor");
  EXPECT_EQ(rightOf(s, 2), s);
  EXPECT_EQ(valueOf(s), "or");
  EXPECT_EQ(leftOf(s, 1), s);
  EXPECT_EQ(valueOf(s), "o");
  EXPECT_EQ(stringHeapStats().fillMark, fill);
}

TEST_F(StringEngineTest, Substrings_OfALiteralCopyAndReleaseTheLiteral) {
  const int32_t mark = tempStackTop();
  RtString* s = newStringFromText("literal text");
  RtString* r = midOf(s, 9);
  EXPECT_NE(r, s);
  EXPECT_EQ(valueOf(r), "text");
  // The literal's slot is freed; only the copy is still listed.
  EXPECT_EQ(tempStackTop(), mark + 2);
  EXPECT_EQ(r->temporaryIndex, mark + 1);
}

TEST_F(StringEngineTest, Substrings_OfAVariableSurviveTheHeapGrowingDuringTheCopy) {
  initStringEngine({.heapBytes = 1024});
  const std::string value = std::string(40, 'x') + "tail";
  RtString* v = variable(value);
  // Fill the heap to 10 bytes short of its end, so that the copy needs a larger heap.
  variable(std::string(1024 - 10 - 32 - stringHeapStats().fillMark, 'f'));
  const uint64_t growths = stringHeapStats().growths;
  RtString* r = rightOf(v, 4);
  EXPECT_EQ(stringHeapStats().growths, growths + 1);
  EXPECT_EQ(valueOf(r), "tail");
  EXPECT_EQ(valueOf(v), value);
}

// ---- Search and comparison ----------------------------------------------------------------------

TEST_F(StringEngineTest, FindIn_ReportsTheFirstPositionAtOrAfterStart) {
  struct Case {
    const char* s;
    const char* t;
    int32_t start;  // 1 for the form without a start
    int32_t expected;
  } cases[] = {
      {"ABC", "", 1, 1},          {"ABC", "C", 1, 3},         {"ABC", "CD", 1, 0},
      {"", "A", 1, 0},            {"", "", 1, 0},             {"ABC", "", 0, 0},
      {"ABC", "", -7, 0},         {"ABC", "", 3, 3},          {"ABC", "", 4, 0},
      {"ABCABC", "BC", 3, 5},     {"ABCABC", "BC", -2, 2},    {"ABCABC", "BC", INT_MIN, 2},
      {"AAAB", "AAB", 1, 2},      {"ABC", "ABCD", 1, 0},      {"ABCABC", "ABC", 2, 4},
      {"ABCABC", "C", 6, 6},      {"ABCABC", "C", 7, 0},      {"ABC", "BC", INT_MAX, 0},
      {"abc", "B", 1, 0},         {"xxxxxy", "xy", 1, 5},     {"ABAB", "BAB", 3, 0},
  };
  for (const auto& c : cases) {
    RtString* s = newStringFromText(c.s);
    RtString* t = newStringFromText(c.t);
    const int32_t found = c.start == 1 ? findIn(s, t) : findIn(c.start, s, t);
    EXPECT_EQ(found, c.expected) << '"' << c.s << "\" \"" << c.t << "\" from " << c.start;
  }
}

// Long texts, where the search skips ahead: it must find the same first place as a plain
// search, on small alphabets full of near matches, with bytes above 127 and zero bytes.
TEST_F(StringEngineTest, FindIn_LongTextsAgreeWithAPlainSearch) {
  std::mt19937 random(12);
  const std::string alphabets[] = {"ab", "abc", "KWN1 ", std::string("\0\xff\x80z", 4)};
  int checked = 0;
  for (const std::string& alphabet : alphabets) {
    for (int round = 0; round < 300; ++round) {
      std::string text(static_cast<size_t>(random() % 700), ' ');
      for (char& c : text) c = alphabet[random() % alphabet.size()];
      std::string pattern;
      const size_t length = 2 + random() % 11;
      if (random() % 2 == 0 && text.size() >= length) {
        pattern = text.substr(random() % (text.size() - length + 1), length);  // present
      } else {
        for (size_t i = 0; i < length; ++i) pattern += alphabet[random() % alphabet.size()];
      }
      const auto start = static_cast<int32_t>(1 + random() % (text.size() + 1));
      const size_t plain = text.find(pattern, static_cast<size_t>(start - 1));
      const int32_t expected = plain == std::string::npos ? 0 : static_cast<int32_t>(plain) + 1;
      const int32_t mark = tempStackTop();
      EXPECT_EQ(findIn(start, temp(text), temp(pattern)), expected)
          << "pattern of " << pattern.size() << " in " << text.size() << " bytes from " << start;
      releaseTemps(mark, 0);
      ++checked;
    }
  }
  EXPECT_EQ(checked, 1200);
}

TEST_F(StringEngineTest, FindIn_MatchesZeroBytesAndLeavesItsOperandsListed) {
  RtString* s = temp(std::string("a\0b\0c", 5));
  RtString* t = temp(std::string("\0c", 2));
  EXPECT_EQ(findIn(s, t), 4);
  EXPECT_EQ(findIn(2, s, t), 4);
  EXPECT_TRUE(s->temporary);
  EXPECT_TRUE(t->temporary);
  EXPECT_EQ(valueOf(s), std::string("a\0b\0c", 5));
}

TEST_F(StringEngineTest, StringsEqualAndDiffer_CompareBytesAndLengths) {
  struct Case {
    std::string a, b;
    int32_t equal;
  } cases[] = {
      {"", "", -1},    {"A", "a", 0},   {"AB", "ABC", 0}, {"ABC", "AB", 0},
      {"ABC", "ABC", -1}, {std::string("a\0b", 3), std::string("a\0b", 3), -1},
      {std::string("a\0b", 3), std::string("a\0c", 3), 0}, {"\xff", "\x7f", 0},
  };
  for (const auto& c : cases) {
    RtString* a = temp(c.a);
    RtString* b = variable(c.b);
    EXPECT_EQ(stringsEqual(a, b), c.equal) << c.a << " / " << c.b;
    EXPECT_EQ(stringsDiffer(a, b), c.equal == -1 ? 0 : -1) << c.a << " / " << c.b;
  }
}

// ---- Building values ----------------------------------------------------------------------------

TEST_F(StringEngineTest, ConcatStrings_WithAnEmptyOperandReturnsTheOtherUnchanged) {
  for (Kind kind : kAllKinds) {
    RtString* v = operand(kind, "value");
    RtString* empty = temp("");
    EXPECT_EQ(concatStrings(empty, v), v) << kindName(kind);
    EXPECT_EQ(concatStrings(v, empty), v) << kindName(kind);
    EXPECT_EQ(valueOf(v), "value");
    EXPECT_TRUE(empty->temporary) << "an empty operand is left for the statement to release";
  }
}

TEST_F(StringEngineTest, ConcatStrings_JoinsEveryPairOfKindsAndFreesTemporaryOperands) {
  for (Kind ka : kAllKinds) {
    for (Kind kb : kAllKinds) {
      const int32_t mark = tempStackTop();
      RtString* a = operand(ka, "left-");
      RtString* b = operand(kb, "right");
      RtString* r = concatStrings(a, b);
      EXPECT_EQ(valueOf(r), "left-right") << kindName(ka) << " + " << kindName(kb);
      // Every operand that was listed is consumed: only the result remains above the mark.
      int listed = 0;
      for (RtString* x : {a, b}) listed += (x != r && x->temporary) ? 1 : 0;
      EXPECT_EQ(listed, 0) << kindName(ka) << " + " << kindName(kb);
      EXPECT_EQ(r->temporaryIndex, tempStackTop() - 1);
      releaseTemps(mark, 0);
      ASSERT_EQ(checkStringEngineInvariants(), "");
    }
  }
}

TEST_F(StringEngineTest, ConcatStrings_OfATemporaryWithItselfFreesItOnce) {
  RtString* t = temp("ab");
  RtString* r = concatStrings(t, t);
  EXPECT_EQ(valueOf(r), "abab");
  EXPECT_EQ(checkStringEngineInvariants(), "");
  // A doubly freed descriptor would be handed out twice.
  RtString* x = newString(1, true);
  RtString* y = newString(1, true);
  EXPECT_NE(x, y);
}

TEST_F(StringEngineTest, CharString_MakesOneByteOrRaisesIllegalFunctionCall) {
  struct Case {
    int32_t code;
    std::string expected;
    uint32_t error;
  } cases[] = {
      {0, std::string(1, '\0'), 0}, {65, "A", 0},  {255, "\xff", 0},
      {256, "", 5}, {-1, "", 5},    {INT_MIN, "", 5}, {INT_MAX, "", 5},
  };
  for (const auto& c : cases) {
    pendingError = 0;
    RtString* s = charString(c.code);
    EXPECT_EQ(valueOf(s), c.expected) << c.code;
    EXPECT_TRUE(s->temporary) << c.code;
    EXPECT_EQ(pendingError, c.error) << c.code;
  }
}

TEST_F(StringEngineTest, Spaces_NegativeCountsAsZero) {
  const std::pair<int32_t, std::string> cases[] = {
      {-3, ""}, {INT_MIN, ""}, {0, ""}, {1, " "}, {5, "     "}};
  for (const auto& [n, expected] : cases) EXPECT_EQ(valueOf(spaces(n)), expected) << n;
}

TEST_F(StringEngineTest, NewStringFromText_PointsAtTheTextWithoutCopying) {
  static const char kText[] = "abc\0def";
  RtString* zeroTerminated = newStringFromText(kText);
  RtString* counted = newStringFromText(kText, 7);
  RtString* none = newStringFromText(nullptr);
  RtString* noneCounted = newStringFromText(nullptr, 5);
  RtString* negative = newStringFromText(kText, -2);
  EXPECT_EQ(zeroTerminated->text, kText);
  EXPECT_EQ(zeroTerminated->length, 3);
  EXPECT_EQ(valueOf(counted), std::string("abc\0def", 7));
  EXPECT_EQ(none->length, 0);
  EXPECT_EQ(noneCounted->length, 0);
  EXPECT_EQ(negative->length, 0);
  for (RtString* s : {zeroTerminated, counted, none}) {
    EXPECT_TRUE(s->readOnly);
    EXPECT_TRUE(s->temporary);
  }
}

// ---- Assignment ---------------------------------------------------------------------------------

TEST_F(StringEngineTest, AssignString_FixedTargetPadsWithBlanksOrCuts) {
  struct Case {
    std::string source;
    const char* expected;
  } cases[] = {
      {"abc", "abc       "}, {"123456789012", "1234567890"}, {"", "          "},
      {"0123456789", "0123456789"}, {std::string("\0z", 2), "\0z        "},
  };
  for (Kind kind : kAllKinds) {
    for (const auto& c : cases) {
      char* storage = static_cast<char*>(allocateStatic(10));
      std::memset(storage, '#', 10);
      RtString* fixed = newFixedString(storage, 10, false);
      const int32_t mark = tempStackTop();
      RtString* source = operand(kind, c.source);
      EXPECT_EQ(assignString(fixed, source), fixed);
      EXPECT_EQ(std::string(storage, 10), std::string(c.expected, 10))
          << kindName(kind) << " " << c.source;
      EXPECT_EQ(fixed->length, 10);
      EXPECT_EQ(fixed->text, storage);
      if (kind != Kind::Variable) {
        EXPECT_EQ(tempStackTop(), mark) << "temporary source not consumed";
      }
      freeTempString(fixed);
    }
  }
}

TEST_F(StringEngineTest, AssignString_StealsATemporarysTextWithoutCopying) {
  RtString* v = variable("old");
  const int32_t mark = tempStackTop();
  RtString* t = temp("new value");
  char* const text = t->text;
  const size_t fill = stringHeapStats().fillMark;
  EXPECT_EQ(assignString(v, t), v);
  EXPECT_EQ(v->text, text);
  EXPECT_EQ(valueOf(v), "new value");
  EXPECT_FALSE(v->temporary);
  EXPECT_EQ(tempStackTop(), mark);
  EXPECT_EQ(stringHeapStats().fillMark, fill);
  // The trimmed remains of a temporary are stolen just the same.
  RtString* cut = midOf(temp("xxCOREyy"), 3, 4);
  char* const cutText = cut->text;
  assignString(v, cut);
  EXPECT_EQ(v->text, cutText);
  EXPECT_EQ(valueOf(v), "CORE");
}

TEST_F(StringEngineTest, AssignString_ShorterValueStaysInPlaceAndKeepsTheRoom) {
  RtString* v = variable("a long first value");
  variable("neighbour");  // so v is not the last text
  char* const text = v->text;
  assignString(v, newStringFromText("short"));
  EXPECT_EQ(v->text, text);
  EXPECT_EQ(valueOf(v), "short");
  // Growing back into the room it had (plus its gap) needs no move.
  assignString(v, newStringFromText("a longer second value ok"));
  EXPECT_EQ(v->text, text);
  EXPECT_EQ(valueOf(v), "a longer second value ok");
}

TEST_F(StringEngineTest, AssignString_RelocatesWhenTheNextTextIsInTheWay) {
  RtString* v = variable("short");
  RtString* w = variable("neighbour");
  char* const vText = v->text;
  const std::string longValue(100, 'L');
  assignString(v, newStringFromText(longValue.c_str()));
  EXPECT_NE(v->text, vText);
  EXPECT_GT(v->text, w->text);
  EXPECT_EQ(valueOf(v), longValue);
  EXPECT_EQ(valueOf(w), "neighbour");
  EXPECT_EQ(permanentEmptyString()->text + stringHeapStats().fillMark, v->text + v->length);
}

TEST_F(StringEngineTest, AssignString_LastTextGrowsInPlaceWithoutAGap) {
  RtString* v = variable("abc");
  char* const text = v->text;
  const std::string longValue(500, 'g');
  assignString(v, newStringFromText(longValue.c_str()));
  EXPECT_EQ(v->text, text);
  EXPECT_EQ(valueOf(v), longValue);
  EXPECT_EQ(permanentEmptyString()->text + stringHeapStats().fillMark, v->text + v->length);
}

TEST_F(StringEngineTest, AssignString_LastTextRelocatesWhenTheHeapEndsFirst) {
  initStringEngine({.heapBytes = 256});
  RtString* v = variable("abc");
  const std::string longValue(1000, 'g');
  assignString(v, newStringFromText(longValue.c_str()));
  EXPECT_EQ(valueOf(v), longValue);
  EXPECT_GE(stringHeapStats().growths, 1u);
}

TEST_F(StringEngineTest, AssignString_FollowedOnlyByFreedSlotsBecomesTheLastText) {
  // A temporary made before the variable is stolen by it: the variable's old slot, after the
  // stolen one, is left freed at the end of the list.
  RtString* t = temp("early");
  RtString* v = variable("later");
  assignString(v, t);
  char* const text = v->text;
  const std::string longValue(200, 'c');
  assignString(v, newStringFromText(longValue.c_str()));
  EXPECT_EQ(v->text, text);
  EXPECT_EQ(valueOf(v), longValue);
  EXPECT_EQ(permanentEmptyString()->text + stringHeapStats().fillMark, v->text + v->length);
  EXPECT_EQ(stringHeapStats().heapListCount, v->areaIndex + 1);
}

TEST_F(StringEngineTest, AssignString_FromAVariableCopiesAndLeavesTheSource) {
  RtString* v = variable("");
  RtString* source = variable("shared text");
  assignString(v, source);
  EXPECT_EQ(valueOf(v), "shared text");
  EXPECT_EQ(valueOf(source), "shared text");
  EXPECT_NE(v->text, source->text);
  assignString(v, v);
  EXPECT_EQ(valueOf(v), "shared text");
}

TEST_F(StringEngineTest, AssignString_IntoALiteralDescriptorGivesItHeapStorage) {
  static const char kConstant[] = "constant";
  RtString* v = newStringFromText(kConstant);
  assignString(v, newStringFromText("other"));
  EXPECT_EQ(valueOf(v), "other");
  EXPECT_STREQ(kConstant, "constant");
  EXPECT_FALSE(v->readOnly);
}

TEST_F(StringEngineTest, PermanentStrings_CannotBeFreedOrAssigned) {
  RtString* empty = permanentEmptyString();
  RtString* blank = permanentBlankString();
  freeTempString(empty);
  freeTempString(blank);
  assignString(blank, newStringFromText("changed"));
  markTemporary(blank);
  releaseTemps(1, 0);
  EXPECT_EQ(valueOf(empty), "");
  EXPECT_EQ(valueOf(blank), " ");
  EXPECT_FALSE(blank->temporary);
}

// ---- Temporaries and the pool -------------------------------------------------------------------

TEST_F(StringEngineTest, ReleaseTemps_FreesEverythingAboveTheMarkAndReturnsTheValue) {
  RtString* outer = temp("outer");
  const int32_t mark = tempStackTop();
  for (int i = 0; i < 10; ++i) temp("inner");
  RtString* made = variable("v");
  markTemporary(made);
  markTemporary(made);  // a second registration is ignored
  EXPECT_EQ(tempStackTop(), mark + 11);
  EXPECT_EQ(releaseTemps(mark, -1), -1);
  EXPECT_DOUBLE_EQ(releaseTemps(mark, 2.5), 2.5);
  EXPECT_EQ(tempStackTop(), mark);
  EXPECT_EQ(valueOf(outer), "outer");
  EXPECT_TRUE(outer->temporary);
}

TEST_F(StringEngineTest, FreeTempString_LowersTheTopOverFreedSlots) {
  const int32_t mark = tempStackTop();
  RtString* a = temp("a");
  RtString* b = temp("b");
  RtString* c = temp("c");
  freeTempString(b);
  EXPECT_EQ(tempStackTop(), mark + 3);  // not the top: the slot is only marked
  freeTempString(c);
  EXPECT_EQ(tempStackTop(), mark + 1);  // c's and b's slots both drop
  EXPECT_EQ(a->temporaryIndex, mark);
}

TEST_F(StringEngineTest, FreeTempString_AtTheHeapEndReclaimsTheSpaceAtOnce) {
  const size_t fill = stringHeapStats().fillMark;
  RtString* t = temp(std::string(1000, 'x'));
  EXPECT_EQ(stringHeapStats().fillMark, fill + 1032);
  freeTempString(t);
  EXPECT_EQ(stringHeapStats().fillMark, fill);
}

TEST_F(StringEngineTest, Descriptors_AreReusedLastInFirstOutAndZeroFilled) {
  RtString* a = temp("a");
  RtString* b = temp("b");
  freeTempString(a);
  freeTempString(b);
  freeTempString(b);  // a second free is ignored
  RtString* first = newStringFromText("x");
  RtString* second = newString(0, false);
  RtString* third = newString(0, false);
  EXPECT_EQ(first, b);
  EXPECT_EQ(second, a);
  EXPECT_NE(third, a);
  EXPECT_NE(third, b);
  EXPECT_FALSE(second->temporary);
  EXPECT_FALSE(second->readOnly);
}

TEST_F(StringEngineTest, SmallContainers_GrowAndTidyWithoutLosingStrings) {
  initStringEngine({.heapBytes = 64, .descriptorBlock = 3, .freeStackRoom = 1, .heapListRoom = 2,
                    .tempStackRoom = 2});
  std::vector<RtString*> vars;
  for (int i = 0; i < 50; ++i) vars.push_back(variable("v" + std::to_string(i)));
  for (int round = 0; round < 20; ++round) {
    const int32_t mark = tempStackTop();
    for (int i = 0; i < 30; ++i) temp(std::string(static_cast<size_t>(i), 't'));
    for (size_t i = 0; i < vars.size(); i += 3) assignString(vars[i], spaces(round));
    releaseTemps(mark, 0);
    ASSERT_EQ(checkStringEngineInvariants(), "") << round;
  }
  for (size_t i = 0; i < vars.size(); ++i) {
    const std::string expected = i % 3 == 0 ? std::string(19, ' ') : "v" + std::to_string(i);
    EXPECT_EQ(valueOf(vars[i]), expected) << i;
  }
}

TEST_F(StringEngineTest, Compaction_SlidesTextsDownAndKeepsTheirValues) {
  initStringEngine({.heapBytes = 4096});
  std::vector<RtString*> vars;
  for (int i = 0; i < 20; ++i) {
    vars.push_back(variable(std::string(100, static_cast<char>('a' + i))));
  }
  for (size_t i = 0; i < vars.size(); i += 2) freeTempString(vars[i]);
  RtString* big = temp(std::string(1500, 'B'));  // fits only after compaction
  EXPECT_EQ(stringHeapStats().compactions, 1u);
  EXPECT_EQ(stringHeapStats().growths, 0u);
  for (size_t i = 1; i < vars.size(); i += 2)
    EXPECT_EQ(valueOf(vars[i]), std::string(100, static_cast<char>('a' + i))) << i;
  EXPECT_EQ(valueOf(big), std::string(1500, 'B'));
  // Gaps of up to 32 bytes stay (the blank constant keeps its place after the empty one);
  // the first survivor slides down to the end of the blank.
  EXPECT_EQ(permanentBlankString()->text, permanentEmptyString()->text + 32);
  EXPECT_EQ(vars[1]->text, permanentBlankString()->text + 1);
}

TEST_F(StringEngineTest, StatementsThatOnlyMakeTemporaries_NeverCompact) {
  RtString* v = variable("kept");
  const size_t fill = stringHeapStats().fillMark;
  for (int statement = 0; statement < 100000; ++statement) {
    const int32_t mark = tempStackTop();
    RtString* s = concatStrings(spaces(statement % 50), newStringFromText("text"));
    s = concatStrings(s, midOf(v, 2, 2));
    int32_t found = findIn(s, newStringFromText("ep"));
    releaseTemps(mark, found);
    ASSERT_EQ(stringHeapStats().fillMark, fill) << statement;
  }
  EXPECT_EQ(stringHeapStats().compactions, 0u);
}

// ---- Static storage -----------------------------------------------------------------------------

TEST_F(StringEngineTest, AllocateStatic_BumpsThenStartsALargerBlock) {
  initStringEngine({.staticBlockBytes = 256});
  char* a = static_cast<char*>(allocateStatic(10));
  char* b = static_cast<char*>(allocateStatic(100));
  EXPECT_EQ(b, a + 16);  // aligned to 16 bytes
  char* c = static_cast<char*>(allocateStatic(128));  // reaches the end: fresh block of 128 + 512
  EXPECT_NE(c, b + 112);
  char* d = static_cast<char*>(allocateStatic(400));
  EXPECT_EQ(d, c + 128);
  std::memset(c, 1, 128 + 400);  // all of it belongs to the new block (checked by sanitizers)
  resetStatic(d);
  EXPECT_EQ(allocateStatic(1), d);
  resetStatic(a);  // not in the current block: back to its start
  EXPECT_EQ(allocateStatic(1), c);
  for (char* p : {a, b, c, d}) EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % 16, 0u);
}

// ---- While an error is pending ------------------------------------------------------------------

TEST_F(StringEngineTest, PendingError_MakesValueOperationsInertButStillReleases) {
  RtString* v = variable("value");
  const int32_t mark = tempStackTop();
  RtString* t = temp("temp");
  pendingError = 53;
  EXPECT_EQ(assignString(v, t), v);
  EXPECT_EQ(valueOf(v), "value");
  EXPECT_TRUE(t->temporary) << "the source is left for the statement's release";
  const std::vector<std::pair<const char*, RtString*>> results = {
      {"concat", concatStrings(v, t)}, {"char", charString(65)},  {"spaces", spaces(3)},
      {"left", leftOf(t, 2)},          {"right", rightOf(t, 2)},  {"mid", midOf(t, 2, 1)},
      {"mid2", midOf(t, 2)}};
  for (const auto& [name, r] : results) {
    EXPECT_EQ(r->length, 0) << name;
    EXPECT_NE(r, t) << name;
    EXPECT_TRUE(r->temporary) << name;
  }
  EXPECT_EQ(valueOf(t), "temp");
  EXPECT_EQ(findIn(v, t), 0);
  EXPECT_EQ(stringsEqual(v, v), 0);
  EXPECT_EQ(stringsDiffer(v, t), 0);
  EXPECT_EQ(pendingError, 53u);
  releaseTemps(mark, 0);
  EXPECT_EQ(tempStackTop(), mark);
}

// ---- Critical allocation failures ---------------------------------------------------------------

using StringEngineDeathTest = StringEngineTest;

TEST_F(StringEngineDeathTest, FailedHeapGrowthIsCriticalError12) {
  EXPECT_EXIT(
      {
        failStringAllocationsForTesting(512);
        newString(2 * 1048576, true);
      },
      ::testing::ExitedWithCode(0), "\\[Critical Error #12\\|Out of memory\\]");
}

TEST_F(StringEngineDeathTest, ConcatenationLongerThanALengthCanHoldIsCriticalError12) {
  EXPECT_EXIT(
      {
        char storage[4] = {};
        concatStrings(newFixedString(storage, INT_MAX, true), newStringFromText("x"));
      },
      ::testing::ExitedWithCode(0), "Critical Error #12");
}

TEST_F(StringEngineDeathTest, FailedGrowthOfTheListsIsCritical) {
  struct Case {
    int32_t error;
    const char* caption;
  } cases[] = {
      {510, "Critical Error #10"}, {511, "Critical Error #11"}, {508, "Critical Error #8"}};
  for (const Case& c : cases) {
    EXPECT_EXIT(
        {
          initStringEngine({.freeStackRoom = 4, .heapListRoom = 4, .tempStackRoom = 4});
          failStringAllocationsForTesting(c.error);
          // Ten live temporaries fill the heap list and the temp stack; freeing them all at
          // once fills the free stack.
          for (int i = 0; i < 10; ++i) newString(1, true);
          releaseTemps(1, 0);
        },
        ::testing::ExitedWithCode(0), c.caption);
  }
}

TEST_F(StringEngineDeathTest, FailedStaticBlockIsCriticalError4) {
  EXPECT_EXIT(
      {
        failStringAllocationsForTesting(504);
        allocateStatic(2 * 1048576);
      },
      ::testing::ExitedWithCode(0), "\\[Critical Error #4\\|Out of memory\\]");
}

}  // namespace
}  // namespace rt
