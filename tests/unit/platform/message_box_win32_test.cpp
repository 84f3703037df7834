// The Windows message box when it cannot be shown: the message goes to standard error at once
// and the answer is Failed. Wine with its display variable empty has no desktop to show a box
// on, which is how ctest runs the unit tests; on a real desktop the box would wait for a click,
// so the test runs only without one.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "runtime/platform/message_box.h"

namespace rt {
namespace {

TEST(PlatformMessageBox, WithNoDesktopFallsBackToStandardErrorAtOnce) {
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || display[0] != '\0') {
    GTEST_SKIP() << "a desktop may be there to show the box; run under Wine with DISPLAY=";
  }
  ::testing::internal::CaptureStderr();
  MessageBoxAnswer answer =
      platformMessageBox().show("Critical Error #7", "Out of memory", MessageBoxButtons::Ok);
  std::string written = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(answer, MessageBoxAnswer::Failed);
  EXPECT_EQ(written, "Critical Error #7: Out of memory\n");
}

}  // namespace
}  // namespace rt
