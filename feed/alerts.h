// Alerts for watched calls: when a new decode names one of the six watched calls of the
// settings file, the alert command runs (or, without a command, the feed beeps and prints a
// line), at most once per call within the alert period.
//
// The command gets COMMAND's own words, then the call sign, the time "hh:mm", the SNR and the
// frequency as separate arguments; it is started by a function given to the alerter (the
// program uses AlertLauncher), never through a shell.
#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "feed/decode_line.h"
#include "feed/settings_file.h"
#include "feed/spot_record.h"

namespace feed {

struct AlertOptions {
  std::vector<std::string> command;  // empty: beep and a line on the console
  int everyMinutes = 30;             // at most one alert per call within this period
  std::string settingsPath;          // the settings file with the watched calls
};

enum class AlertOutcome {
  NotWatched,  // the call is not one of the six
  Held,        // watched, but alerted within the period
  Started,     // the command was started
  Announced,   // no command: beeped and printed
  Failed,      // the command could not be started (reported on the error stream)
};

class Alerter {
 public:
  using Clock = std::chrono::steady_clock;
  // Starts a program with an argument vector; false with the reason when it cannot.
  using StartProgram =
      std::function<bool(const std::vector<std::string>& argv, std::string& error)>;
  // Sounds the default alert.
  using SoundBell = std::function<void()>;

  Alerter(AlertOptions options, StartProgram startProgram, SoundBell soundBell, std::ostream& out,
          std::ostream& err);

  // Reads the watched calls again when the settings file changed; says once on `err` when it
  // cannot be read. Call once per poll.
  void refreshWatchedCalls();

  // A new decode written at `time`: raises its alert when due. One thread.
  AlertOutcome decode(const Decode& decode, TimeOfDay time, Clock::time_point now);

  // The arguments the command gets for a decode (COMMAND's words first).
  std::vector<std::string> commandArguments(const Decode& decode, TimeOfDay time) const;

 private:
  AlertOptions options_;
  StartProgram startProgram_;
  SoundBell soundBell_;
  std::ostream& out_;
  std::ostream& err_;
  WatchedCalls watched_;
  bool settingsUnreadable_ = false;
  std::map<std::string, Clock::time_point, std::less<>> lastAlert_;
};

// Splits an alert command into words at blanks; double quotes group words with blanks
// ("C:\Program Files\x.exe") and are removed. No other character is special.
std::vector<std::string> splitCommandWords(const std::string& command);

}  // namespace feed
