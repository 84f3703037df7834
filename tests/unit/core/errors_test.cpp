#include "runtime/core/errors.h"

#include <gtest/gtest.h>

#include "runtime/core/shared_flags.h"
#include "tests/support/runtime_test.h"
#include "tests/support/scripted_message_box.h"

namespace rt {
namespace {

class ErrorsTest : public testing::RuntimeTest {
 protected:
  testing::ScriptedMessageBox box;
};

TEST_F(ErrorsTest, MessageTable_KnownAndUnknownNumbers) {
  struct Case {
    uint32_t number;
    const char* message;
  } cases[] = {
      {1, "NEXT without FOR"},           {5, "Illegal function call"},
      {53, "File not found"},            {62, "Input past end of file"},
      {76, "Path not found"},            {258, "Invalid handle"},
      {313, "Source and destination memory have been freed"},
      {11, "Unprintable error"},         {999, "Unprintable error"},
      {0, "Unprintable error"},          {60, "Unprintable error"},
  };
  for (const Case& c : cases) EXPECT_EQ(errorMessage(c.number), c.message) << c.number;
}

TEST_F(ErrorsTest, RaiseError_FirstErrorOfAStatementWins) {
  raiseError(53);
  raiseError(62);
  EXPECT_EQ(pendingError, 53u);
  EXPECT_EQ(checkpointPending, 1);
  StatementCheckpoint(243);
  ASSERT_EQ(box.shown.size(), 1u);
  EXPECT_EQ(box.shown[0].caption, "Unhandled Error #53");
  EXPECT_EQ(box.shown[0].text, "Line:243\nFile not found\nContinue?");
  EXPECT_EQ(box.shown[0].buttons, MessageBoxButtons::YesNo);
}

TEST_F(ErrorsTest, RaiseError_ZeroOrNegativeBecomesIllegalFunctionCall) {
  for (int32_t number : {0, -1, -70000}) {
    pendingError = 0;
    raiseError(number);
    EXPECT_EQ(pendingError, 5u) << number;
  }
}

TEST_F(ErrorsTest, Checkpoint_YesOrFailedDialogContinues) {
  for (MessageBoxAnswer answer : {MessageBoxAnswer::Yes, MessageBoxAnswer::Failed}) {
    box.answers.push_back(answer);
    raiseError(999);
    StatementCheckpoint(7);
    EXPECT_EQ(pendingError, 0u);
    EXPECT_EQ(checkpointPending, 0);
    EXPECT_EQ(stopRequested, 0);
  }
  ASSERT_EQ(box.shown.size(), 2u);
  EXPECT_EQ(box.shown[1].text, "Line:7\nUnprintable error\nContinue?");
}

TEST_F(ErrorsTest, Checkpoint_WithNothingPendingShowsNothing) {
  checkpointPending = 1;
  StatementCheckpoint(10);
  EXPECT_TRUE(box.shown.empty());
  EXPECT_EQ(checkpointPending, 0);
}

TEST_F(ErrorsTest, ErrorCaptionAndText_MemoryErrorsHaveNoQuestion) {
  EXPECT_EQ(errorCaption(305), "Critical Error #305");
  EXPECT_EQ(errorText(305, 12), "Line:12\nSource memory has been freed");
  EXPECT_EQ(errorCaption(300), "Critical Error #300");
  EXPECT_EQ(errorCaption(299), "Unhandled Error #299");
  EXPECT_EQ(errorCaption(314), "Unhandled Error #314");
}

using ErrorsDeathTest = ErrorsTest;

TEST_F(ErrorsDeathTest, MemoryErrorEndsTheProcessAfterAnOkBox) {
  EXPECT_EXIT(
      {
        raiseError(305);
        StatementCheckpoint(12);
      },
      ::testing::ExitedWithCode(0),
      "\\[Critical Error #305\\|Line:12\nSource memory has been freed\\]");
}

TEST_F(ErrorsDeathTest, CriticalNumbersEndTheProcessFromRaiseError) {
  EXPECT_EXIT(raiseError(507), ::testing::ExitedWithCode(0), "\\[Critical Error #7\\|Out of memory\\]");
  EXPECT_EXIT(raiseError(11), ::testing::ExitedWithCode(0), "\\[Critical Error\\|Division by zero\\]");
  EXPECT_EXIT(raiseError(257), ::testing::ExitedWithCode(0), "\\[Critical Error #1\\|Out of memory\\]");
}

TEST_F(ErrorsDeathTest, CriticalErrorEndsTheProcessEvenWhileAnotherIsPending) {
  raiseError(53);
  EXPECT_EXIT(raiseError(512), ::testing::ExitedWithCode(0), "Critical Error #12");
}

}  // namespace
}  // namespace rt
