// Starting the alert command: a program with an argument vector, never a command interpreter,
// so that text from the decoder log reaches the program byte for byte as separate arguments
// whatever it holds (quotes, ';', '$()', backticks).
//
// A started program runs on its own; it is never waited for. On POSIX systems a finished one
// is reaped at the next poll (reapFinished), so a failing or hanging command costs the feed
// nothing. On Windows the argument vector becomes one command line quoted as the C runtime
// reads it back, and the process handle is closed at once. alert_launch_posix.cpp and
// alert_launch_win32.cpp implement this header.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace feed {

class AlertLauncher {
 public:
  AlertLauncher() = default;
  AlertLauncher(const AlertLauncher&) = delete;
  AlertLauncher& operator=(const AlertLauncher&) = delete;

  // Starts `argv[0]` (looked up on PATH when it has no folder part) with the arguments `argv`.
  // Returns at once; false with `error` set when it cannot be started. One thread.
  bool start(const std::vector<std::string>& argv, std::string& error);

  // Reaps the programs that have ended; never waits. One thread.
  void reapFinished();

  // Programs started and not yet known to have ended.
  size_t running() const { return running_.size(); }

  // The default alert: the system's alert sound (the terminal bell on POSIX systems).
  static void soundBell();

 private:
  std::vector<int64_t> running_;
};

// The Windows command line of `argv`, each argument quoted as the C runtime's parser reads it
// back (exposed for tests). Pure function.
std::string windowsCommandLine(const std::vector<std::string>& argv);

}  // namespace feed
