// The window-message hook's reports as the runtime sees them: the close box, and the keys the
// window library does not pass on, each reaching the key handlers as its runtime key code.
#include "runtime/display/input_events.h"

#include <gtest/gtest.h>

#include "runtime/core/held_keys.h"
#include "runtime/core/key_codes.h"
#include "runtime/core/low_memory.h"
#include "runtime/core/shared_flags.h"
#include "runtime/display/key_events.h"
#include "runtime/platform/window_hook.h"
#include "tests/support/runtime_test.h"

namespace rt {
namespace {

class HookReportTest : public testing::RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    resetLowMemory();
    clearHeldKeys();
    resetKeyRecordsForTesting();
  }

  static int report(WindowMessage kind, int32_t a = 0, int32_t b = 0) {
    return onWindowMessage(static_cast<int>(kind), a, b);
  }
  static int reportKey(UnreportedKey key, bool down) {
    return report(WindowMessage::Key, static_cast<int32_t>(key), down ? 1 : -1);
  }
};

TEST_F(HookReportTest, CloseBoxIsACloseRequest) {
  EXPECT_EQ(report(WindowMessage::Close), 0);
  EXPECT_EQ(closeRequested.load() & kCloseBoxUsed, kCloseBoxUsed);
}

TEST_F(HookReportTest, EachUnreportedKeyIsHeldAsItsRuntimeCodeUntilReleased) {
  const struct {
    UnreportedKey key;
    int32_t code;
  } cases[] = {{UnreportedKey::Pause, kPauseKey},
               {UnreportedKey::Break, kBreakKey},
               {UnreportedKey::ScrollLock, kScrollLockKey},
               {UnreportedKey::ShiftTab, kTabKey}};
  for (const auto& c : cases) {
    clearHeldKeys();
    EXPECT_EQ(reportKey(c.key, true), 0);
    EXPECT_EQ(keyIsHeld(c.code), 1) << c.code;
    EXPECT_EQ(reportKey(c.key, false), 0);
    EXPECT_EQ(keyIsHeld(c.code), 0) << c.code;
  }
}

TEST_F(HookReportTest, PauseAndBreakSteerTheProgram) {
  reportKey(UnreportedKey::Pause, true);
  EXPECT_EQ(presentPaused.load() & 1, 1u);
  reportKey(UnreportedKey::Pause, false);
  reportKey(UnreportedKey::Break, true);
  EXPECT_EQ(stopRequested.load(), 1);
}

TEST_F(HookReportTest, UnknownKindsAndKeysAreIgnored) {
  EXPECT_EQ(onWindowMessage(3, 0, 0), -1);
  EXPECT_EQ(report(WindowMessage::Key, 99, 1), 0);
  EXPECT_EQ(stopRequested.load(), 0);
  EXPECT_EQ(presentPaused.load(), 0u);
}

}  // namespace
}  // namespace rt
