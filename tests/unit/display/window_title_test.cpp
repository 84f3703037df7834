// The window title: before the window exists, at its creation, and after it.
#include "runtime/display/window_title.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "runtime/core/errors.h"
#include "runtime/core/shared_flags.h"
#include "runtime/display/window_state.h"
#include "tests/support/runtime_test.h"

namespace rt {
namespace {

std::string createdWith;  // the title the fake window was created with
std::string shownTitle;   // the last title passed to the fake window (DisplayThread side)

int fakeCreate(const char* title) {
  createdWith = title;
  return 1;
}
void fakeShow(const char* title) { shownTitle = title; }

class WindowTitleTest : public testing::RuntimeTest {
 protected:
  void SetUp() override {
    resetWindowTitleForTesting();
    createdWith.clear();
    shownTitle.clear();
    RuntimeTest::SetUp();
  }
  void TearDown() override {
    resetWindowTitleForTesting();
    RuntimeTest::TearDown();
  }
};

TEST_F(WindowTitleTest, ATitleSetBeforeTheWindowExistsNamesItAtCreation) {
  setWindowTitle(literalString("Ferlang"));
  EXPECT_FALSE(windowExists.load());
  createWindowWithTitle(fakeCreate, fakeShow);
  EXPECT_EQ(createdWith, "Ferlang");
  EXPECT_TRUE(windowExists.load());
  applyPendingWindowTitle();
  EXPECT_EQ(shownTitle, "") << "already shown at creation: nothing to pass on";
}

TEST_F(WindowTitleTest, WithoutATitleTheWindowIsUntitled) {
  createWindowWithTitle(fakeCreate, fakeShow);
  EXPECT_EQ(createdWith, "Untitled");
}

TEST_F(WindowTitleTest, TheTitleIsCutAtItsFirstZeroByteAndIgnoredWhileAnErrorIsPending) {
  setWindowTitle(literalString(std::string_view("Spots\0hidden", 12)));
  EXPECT_EQ(currentWindowTitle(), "Spots");
  pendingError = 5;
  setWindowTitle(literalString("Other"));
  EXPECT_EQ(currentWindowTitle(), "Spots");
}

// The program thread waits until the window thread has passed the title on, so a lookup by
// title right after the call finds the window. The window thread is played by a thread that
// runs the redisplay tick's title step.
TEST_F(WindowTitleTest, ConcurrentTitleChangeReturnsOnlyOnceTheWindowShowsIt) {
  createWindowWithTitle(fakeCreate, fakeShow);
  std::atomic<bool> done{false};
  std::thread display([&] {
    while (!done.load()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      applyPendingWindowTitle();
    }
  });
  for (const char* title : {"First", "Second", "Second"}) {
    setWindowTitle(literalString(title));
    // The tick wrote it before publishing the applied version that setWindowTitle waited for.
    EXPECT_EQ(shownTitle, title);
    shownTitle.clear();  // the same title again is passed on again
  }
  done = true;
  display.join();
}

TEST_F(WindowTitleTest, ATitleChangeDoesNotWaitWhileTheProcessExits) {
  createWindowWithTitle(fakeCreate, fakeShow);
  exitInProgress = 1;
  auto start = std::chrono::steady_clock::now();
  setWindowTitle(literalString("Late"));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
  exitInProgress = 0;
}

}  // namespace
}  // namespace rt
