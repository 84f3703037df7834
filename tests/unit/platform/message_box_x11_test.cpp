// The X11 message box when no display can be reached: it falls back to the headless presenter.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <optional>
#include <string>

#include "runtime/platform/message_box.h"

namespace rt {
namespace {

// Clears the display variables for one test and puts them back afterwards.
class NoDisplay {
 public:
  NoDisplay() {
    for (Saved& saved : saved_) {
      if (const char* value = getenv(saved.name)) saved.value = value;
      unsetenv(saved.name);
    }
  }
  ~NoDisplay() {
    for (const Saved& saved : saved_) {
      if (saved.value) setenv(saved.name, saved.value->c_str(), 1);
    }
  }

 private:
  struct Saved {
    const char* name;
    std::optional<std::string> value;
  };
  Saved saved_[2] = {{"DISPLAY", {}}, {"WAYLAND_DISPLAY", {}}};
};

TEST(PlatformMessageBox, WithNoDisplayFallsBackToStandardErrorAtOnce) {
  NoDisplay noDisplay;
  ::testing::internal::CaptureStderr();
  MessageBoxAnswer answer =
      platformMessageBox().show("Critical Error #7", "Out of memory", MessageBoxButtons::Ok);
  std::string written = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(answer, MessageBoxAnswer::Failed);
  EXPECT_EQ(written, "Critical Error #7: Out of memory\n");
}

}  // namespace
}  // namespace rt
