#include "runtime/core/statement.h"

#include <gtest/gtest.h>

#include "runtime/core/shared_flags.h"
#include "tests/support/runtime_test.h"
#include "tests/support/scripted_message_box.h"

namespace rt {
namespace {

class StatementTest : public testing::RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    initStringEngine();
  }
  testing::ScriptedMessageBox box;
};

TEST_F(StatementTest, StepReleasesItsTemporariesAndReportsItsLine) {
  Steps steps;
  int32_t before = tempStackTop();
  steps(14, [] { concatStrings(newStringFromText("Morvik "), spaces(3)); });
  EXPECT_EQ(tempStackTop(), before);
  EXPECT_TRUE(box.shown.empty());
  steps(243, [] { raiseError(53); });
  ASSERT_EQ(box.shown.size(), 1u);
  EXPECT_EQ(box.shown[0].text, "Line:243\nFile not found\nContinue?");
  EXPECT_EQ(pendingError, 0u);  // answered Yes: the next step runs normally
  EXPECT_EQ(checkpointPending, 0);
}

TEST_F(StatementTest, ConditionIsTrueWhenItRaisedAnErrorAndReportsAtItsLine) {
  Steps steps;
  struct Case {
    bool value;
    bool raise;
    bool expected;
  } cases[] = {{false, false, false}, {true, false, true}, {false, true, true}, {true, true, true}};
  for (const Case& c : cases) {
    box.shown.clear();
    bool result = steps.when(246, [&] {
      if (c.raise) raiseError(52);
      return c.value;
    });
    EXPECT_EQ(result, c.expected);
    EXPECT_EQ(box.shown.size(), c.raise ? 1u : 0u);
    if (c.raise) {
      EXPECT_EQ(box.shown[0].text, "Line:246\nBad file name or number\nContinue?");
    }
  }
}

TEST_F(StatementTest, TemporariesMadeByAConditionDieWithIt) {
  Steps steps;
  int32_t before = tempStackTop();
  RtString* variable = newString(0, false);
  assignString(variable, newStringFromText("QQ1BBB"));
  EXPECT_TRUE(steps.when(256, [&] { return stringsEqual(variable, newStringFromText("QQ1BBB")) != 0; }));
  EXPECT_EQ(tempStackTop(), before);
  EXPECT_EQ(variable->view(), "QQ1BBB");
}

}  // namespace
}  // namespace rt
