// The base of unit-test fixtures that use the runtime's shared state: every test starts and
// ends with no pending error, no pending checkpoint and no stop, close, pause or exit request,
// so that one test's leftovers cannot change the next one's outcome.
#pragma once

#include <gtest/gtest.h>

#include "runtime/core/display_pause.h"
#include "runtime/core/errors.h"
#include "runtime/core/shared_flags.h"

namespace rt::testing {

// Puts the shared control flags back to their start values.
inline void resetRuntimeFlags() {
  pendingError = 0;
  checkpointPending = 0;
  stopRequested = 0;
  exitInProgress = 0;
  closeRequested = 0;
  closeInterception = 0;
  threadsFinished = 0;
  presentPaused = 0;
  displaySuspended = DisplaySuspension::None;
  displayRunning = 0;
  displayPause = DisplayPause::Running;
  previousFrameValid = 0;
  forceFrameRebuild = 0;
}

class RuntimeTest : public ::testing::Test {
 protected:
  void SetUp() override { resetRuntimeFlags(); }
  void TearDown() override { resetRuntimeFlags(); }
};

}  // namespace rt::testing
