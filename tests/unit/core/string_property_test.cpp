// Long random runs of string statements, checked after every statement against a plain
// std::string model of each variable and against the engine's own invariants.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "runtime/core/errors.h"
#include "runtime/core/string_engine.h"

namespace rt {
namespace {

std::string valueOf(const RtString* s) { return std::string(s->view()); }

// ---- The model: what each operation must give, on std::string -----------------------------------

std::string modelLeft(const std::string& s, int32_t n) {
  const auto count = static_cast<size_t>(std::clamp<int64_t>(n, 0, static_cast<int64_t>(s.size())));
  return s.substr(0, count);
}
std::string modelRight(const std::string& s, int32_t n) {
  const auto count = static_cast<size_t>(std::clamp<int64_t>(n, 0, static_cast<int64_t>(s.size())));
  return s.substr(s.size() - count);
}
std::string modelMid(const std::string& s, int32_t start, int32_t length) {
  int64_t first = start;
  int64_t count = length;
  if (first < 1) {
    count -= 1 - first;
    first = 1;
  }
  const auto size = static_cast<int64_t>(s.size());
  if (count < 1 || first > size) return "";
  return s.substr(static_cast<size_t>(first - 1),
                  static_cast<size_t>(std::min(count, size - first + 1)));
}
std::string modelMid(const std::string& s, int32_t start) {
  const int64_t first = std::max(start, 1);
  if (first > static_cast<int64_t>(s.size())) return "";
  return s.substr(static_cast<size_t>(first - 1));
}
int32_t modelFind(int32_t start, const std::string& s, const std::string& t) {
  if (s.empty()) return 0;
  if (start <= 0) {
    if (t.empty()) return 0;
    start = 1;
  }
  if (start > static_cast<int64_t>(s.size())) return 0;
  if (t.empty()) return start;
  const size_t at = s.find(t, static_cast<size_t>(start - 1));
  return at == std::string::npos ? 0 : static_cast<int32_t>(at) + 1;
}
std::string modelFixed(const std::string& value, size_t width) {
  std::string result = value.substr(0, std::min(value.size(), width));
  result.resize(width, ' ');
  return result;
}

// ---- The random program -------------------------------------------------------------------------

struct Value {
  RtString* s;
  std::string expected;
};

class RandomProgram {
 public:
  explicit RandomProgram(uint32_t seed) : rng_(seed) {
    for (int i = 0; i < 24; ++i) literals_.push_back(randomText(static_cast<size_t>(pick(0, 40))));
    for (int i = 0; i < 6; ++i) {
      variables_.push_back(newString(0, false));
      models_.emplace_back();
    }
    for (int32_t width : {1, 5, 12}) {
      char* storage = static_cast<char*>(allocateStatic(static_cast<size_t>(width)));
      std::memset(storage, ' ', static_cast<size_t>(width));
      fixed_.push_back(newFixedString(storage, width, false));
      fixedModels_.emplace_back(static_cast<size_t>(width), ' ');
    }
  }

  // From now on, statements only read variables and make temporaries (no assignments).
  void readOnlyFromNowOn() { temporariesOnly_ = true; }

  // Runs one statement; returns a description of the first mismatch, or empty.
  std::string step() {
    const int32_t mark = tempStackTop();
    const int action = pick(0, 9);
    std::string failure;
    if (action <= 4 && !temporariesOnly_) {
      const auto index = static_cast<size_t>(pick(0, static_cast<int>(variables_.size()) - 1));
      Value v = expression(3);
      assignString(variables_[index], v.s);
      models_[index] = v.expected;
    } else if (action == 5 && !temporariesOnly_) {
      const auto index = static_cast<size_t>(pick(0, static_cast<int>(fixed_.size()) - 1));
      Value v = expression(2);
      assignString(fixed_[index], v.s);
      fixedModels_[index] = modelFixed(v.expected, fixedModels_[index].size());
    } else if (action <= 7) {
      Value a = expression(2);
      Value b = pick(0, 3) == 0 ? expression(0) : Value{a.s, a.expected};
      if (b.s == a.s && pick(0, 1) == 0) b = expression(1);
      const int32_t start = count(static_cast<int32_t>(a.expected.size()));
      if (findIn(start, a.s, b.s) != modelFind(start, a.expected, b.expected)) failure = "findIn";
      if (stringsEqual(a.s, b.s) != (a.expected == b.expected ? -1 : 0)) failure = "stringsEqual";
      if (valueOf(a.s) != a.expected) failure = "expression value";
    } else {
      // Drop a result early, as an operation that consumes it would.
      Value v = expression(3);
      if (valueOf(v.s) != v.expected) failure = "expression value";
      if (v.s->temporary) freeTempString(v.s);
    }
    releaseTemps(mark, 0);
    if (!failure.empty()) return failure;
    if (tempStackTop() != mark) return "temporaries survived the statement";
    for (size_t i = 0; i < variables_.size(); ++i) {
      if (valueOf(variables_[i]) != models_[i]) return "variable " + std::to_string(i);
    }
    for (size_t i = 0; i < fixed_.size(); ++i) {
      if (valueOf(fixed_[i]) != fixedModels_[i]) return "fixed " + std::to_string(i);
    }
    return checkStringEngineInvariants();
  }

 private:
  int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }

  std::string randomText(size_t length) {
    std::string text(length, '\0');
    for (char& c : text) c = static_cast<char>(pick(0, 3) == 0 ? pick(0, 255) : pick('a', 'e'));
    return text;
  }

  // A count or position for an operand of `length` bytes, favouring the edges.
  int32_t count(int32_t length) {
    switch (pick(0, 9)) {
      case 0: return INT_MIN;
      case 1: return INT_MAX;
      case 2: return -pick(0, 3);
      case 3: return length;
      case 4: return length + 1;
      case 5: return length - 1;
      default: return pick(-2, length + 3);
    }
  }

  Value leaf() {
    switch (pick(0, 8)) {
      case 0: case 1: {
        const auto i = static_cast<size_t>(pick(0, static_cast<int>(variables_.size()) - 1));
        return {variables_[i], models_[i]};
      }
      case 2: {
        const auto i = static_cast<size_t>(pick(0, static_cast<int>(fixed_.size()) - 1));
        return {fixed_[i], fixedModels_[i]};
      }
      case 3: {
        const std::string& text = literals_[static_cast<size_t>(pick(0, 23))];
        return {newStringFromText(text.data(), static_cast<int32_t>(text.size())), text};
      }
      case 4: {
        const int32_t n = pick(-2, 20);
        return {spaces(n), std::string(static_cast<size_t>(std::max(n, 0)), ' ')};
      }
      case 5: {
        const int32_t code = pick(0, 255);
        return {charString(code), std::string(1, static_cast<char>(code))};
      }
      case 6:
        return pick(0, 1) ? Value{permanentEmptyString(), ""} : Value{permanentBlankString(), " "};
      default: {
        const std::string text = randomText(static_cast<size_t>(pick(0, 60)));
        RtString* s = newString(static_cast<int32_t>(text.size()), true);
        if (!text.empty()) std::memcpy(s->text, text.data(), text.size());
        return {s, text};
      }
    }
  }

  Value expression(int depth) {
    if (depth == 0 || pick(0, 3) == 0) return leaf();
    switch (pick(0, 4)) {
      case 0: {
        Value a = expression(depth - 1);
        Value b = expression(depth - 1);
        Value joined{concatStrings(a.s, b.s), a.expected + b.expected};
        if (joined.expected.size() > 3000) {  // keep values from doubling without bound
          return {leftOf(joined.s, 1000), joined.expected.substr(0, 1000)};
        }
        return joined;
      }
      case 1: {
        Value a = expression(depth - 1);
        const int32_t n = count(static_cast<int32_t>(a.expected.size()));
        return {leftOf(a.s, n), modelLeft(a.expected, n)};
      }
      case 2: {
        Value a = expression(depth - 1);
        const int32_t n = count(static_cast<int32_t>(a.expected.size()));
        return {rightOf(a.s, n), modelRight(a.expected, n)};
      }
      case 3: {
        Value a = expression(depth - 1);
        const int32_t start = count(static_cast<int32_t>(a.expected.size()));
        const int32_t length = count(static_cast<int32_t>(a.expected.size()));
        return {midOf(a.s, start, length), modelMid(a.expected, start, length)};
      }
      default: {
        Value a = expression(depth - 1);
        const int32_t start = count(static_cast<int32_t>(a.expected.size()));
        return {midOf(a.s, start), modelMid(a.expected, start)};
      }
    }
  }

  std::mt19937 rng_;
  bool temporariesOnly_ = false;
  std::vector<std::string> literals_;
  std::vector<RtString*> variables_;
  std::vector<std::string> models_;
  std::vector<RtString*> fixed_;
  std::vector<std::string> fixedModels_;
};

struct RunConfig {
  const char* name;
  StringEngineSizes sizes;
};

const RunConfig kConfigs[] = {
    {"default sizes", {}},
    // Tiny containers: every statement compacts, grows, tidies and carves new pool blocks.
    {"tiny sizes", {.heapBytes = 96, .descriptorBlock = 2, .freeStackRoom = 1, .heapListRoom = 2,
                    .tempStackRoom = 2, .staticBlockBytes = 16}},
};
const uint32_t kSeeds[] = {1, 7, 42, 1234, 99991};

class StringPropertyTest : public ::testing::Test {
 protected:
  void SetUp() override { pendingError = 0; }
  void TearDown() override { pendingError = 0; }
};

TEST_F(StringPropertyTest, RandomStatements_MatchTheModelAndKeepTheInvariants) {
  for (const RunConfig& config : kConfigs) {
    for (uint32_t seed : kSeeds) {
      initStringEngine(config.sizes);
      RandomProgram program(seed);
      for (int statement = 0; statement < 4000; ++statement) {
        const std::string failure = program.step();
        ASSERT_EQ(failure, "") << config.name << ", seed " << seed << ", statement " << statement;
      }
      EXPECT_EQ(pendingError, 0u);
    }
  }
}

TEST_F(StringPropertyTest, StatementsOfTemporariesOnly_KeepTheFillMarkBoundedWithoutCompaction) {
  for (uint32_t seed : kSeeds) {
    initStringEngine();
    RandomProgram program(seed);
    for (int statement = 0; statement < 500; ++statement) ASSERT_EQ(program.step(), "");
    program.readOnlyFromNowOn();
    const StringHeapStats before = stringHeapStats();
    for (int statement = 0; statement < 20000; ++statement) {
      ASSERT_EQ(program.step(), "") << "seed " << seed << ", statement " << statement;
      // The first release may restore the 32-byte gap after the last variable; no more.
      ASSERT_LE(stringHeapStats().fillMark, before.fillMark + 32) << "seed " << seed;
    }
    EXPECT_EQ(stringHeapStats().compactions, before.compactions) << "seed " << seed;
  }
}

TEST_F(StringPropertyTest, GrowingOneVariable_WorksFarBeyondTheFirstHeapBlock) {
  initStringEngine();
  RtString* v = newString(0, false);
  RtString* other = newString(0, false);
  assignString(other, newStringFromText("neighbour"));
  std::string chunk(4096, '\0');
  size_t expectedLength = 0;
  for (int i = 0; i < 1000; ++i) {
    const int32_t mark = tempStackTop();
    std::memset(chunk.data(), 'a' + i % 26, chunk.size());
    RtString* more = newStringFromText(chunk.data(), static_cast<int32_t>(chunk.size()));
    assignString(v, concatStrings(v, more));
    releaseTemps(mark, 0);
    expectedLength += chunk.size();
    ASSERT_EQ(static_cast<size_t>(v->length), expectedLength) << i;
    if (i % 100 == 0) {
      ASSERT_EQ(checkStringEngineInvariants(), "") << i;
    }
  }
  EXPECT_GT(stringHeapStats().heapBytes, size_t{4} * 1048576);
  EXPECT_GE(stringHeapStats().growths, 2u);
  for (size_t i = 0; i < 1000; ++i) {
    const char expected = static_cast<char>('a' + i % 26);
    ASSERT_EQ(v->text[i * 4096], expected) << i;
    ASSERT_EQ(v->text[i * 4096 + 4095], expected) << i;
  }
  EXPECT_EQ(valueOf(other), "neighbour");
  EXPECT_EQ(checkStringEngineInvariants(), "");
}

}  // namespace
}  // namespace rt
