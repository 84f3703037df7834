// The feed as a whole: opens the spot log, converts the decoder log into it once or follows
// it, and reports counts and failures. main.cpp reads the command line and calls runFeed.
#pragma once

#include <ostream>

#include "feed/options.h"

namespace feed {

// Exit statuses of the program.
inline constexpr int exitOk = 0;
inline constexpr int exitFailure = 1;  // a file cannot be read or written
inline constexpr int exitUsage = 2;    // a bad command line

// Runs the feed with `options`: counts and progress go to `out`, failures to `err` (one line
// each, starting with "ferlang-feed: "). Returns the exit status. Main thread; blocks until the
// conversion ends (--once) or a stop is asked for (stop_signal.h).
int runFeed(const FeedOptions& options, std::ostream& out, std::ostream& err);

}  // namespace feed
