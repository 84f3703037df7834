#include <gtest/gtest.h>

#include <string>

#include "runtime/platform/message_box.h"

namespace rt {
namespace {

TEST(HeadlessMessageBox, WritesCaptionAndTextToStandardErrorAndAnswersFailed) {
  ::testing::internal::CaptureStderr();
  MessageBoxAnswer answer = headlessMessageBox().show(
      "Unhandled Error #53", "Line:243\nFile not found\nContinue?", MessageBoxButtons::YesNo);
  std::string written = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(answer, MessageBoxAnswer::Failed);
  EXPECT_EQ(written, "Unhandled Error #53: Line:243\nFile not found\nContinue?\n");
}

}  // namespace
}  // namespace rt
