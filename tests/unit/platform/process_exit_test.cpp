// Ending the process from any thread: the status given, standard streams flushed, and the one
// line of endProcessWithError.
#include "runtime/platform/process_exit.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <thread>

namespace rt {
namespace {

TEST(ProcessExitDeathTest, EndProcessEndsWithTheStatusAndFlushesStandardStreams) {
  EXPECT_EXIT(
      {
        // Fully buffered: the text reaches the stream only when it is flushed.
        static char buffer[4096];
        std::setvbuf(stderr, buffer, _IOFBF, sizeof buffer);
        std::fputs("written before the end", stderr);
        endProcess(7);
      },
      ::testing::ExitedWithCode(7), "written before the end");
}

TEST(ProcessExitDeathTest, AnotherThreadCanEndTheProcessWithStatusZero) {
  EXPECT_EXIT(
      {
        std::thread([] { endProcess(0); }).join();
        std::_Exit(3);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST(ProcessExitDeathTest, EndProcessWithErrorWritesOneLineAndEndsWithStatusOne) {
  EXPECT_EXIT(endProcessWithError("no display: DISPLAY is not set"), ::testing::ExitedWithCode(1),
              "^unit_platform\\S*: no display: DISPLAY is not set\n$");
}

}  // namespace
}  // namespace rt
