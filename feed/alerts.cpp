// Matching decodes against the watched calls, the alert period, and the alert itself.
#include "feed/alerts.h"

#include <cstdio>

namespace feed {

Alerter::Alerter(AlertOptions options, StartProgram startProgram, SoundBell soundBell,
                 std::ostream& out, std::ostream& err)
    : options_(std::move(options)),
      startProgram_(std::move(startProgram)),
      soundBell_(std::move(soundBell)),
      out_(out),
      err_(err),
      watched_(options_.settingsPath) {}

void Alerter::refreshWatchedCalls() {
  const bool read = watched_.refresh();
  if (!read && !settingsUnreadable_) {
    err_ << "ferlang-feed: cannot read the settings file " << watched_.path()
         << "; alerts wait until it can be read\n"
         << std::flush;
  }
  settingsUnreadable_ = !read;
}

std::vector<std::string> Alerter::commandArguments(const Decode& decode, TimeOfDay time) const {
  std::vector<std::string> argv = options_.command;
  char clock[8];
  std::snprintf(clock, sizeof clock, "%02d:%02d", time.hour % 100, time.minute % 100);
  argv.emplace_back(decode.call);
  argv.emplace_back(clock);
  argv.push_back(std::to_string(decode.snr));
  argv.emplace_back(decode.frequency);
  return argv;
}

AlertOutcome Alerter::decode(const Decode& decode, TimeOfDay time, Clock::time_point now) {
  if (!watched_.watches(decode.call)) return AlertOutcome::NotWatched;
  const auto last = lastAlert_.find(decode.call);
  if (last != lastAlert_.end() &&
      now - last->second < std::chrono::minutes(options_.everyMinutes)) {
    return AlertOutcome::Held;
  }
  lastAlert_[std::string(decode.call)] = now;
  const std::vector<std::string> argv = commandArguments(decode, time);
  if (options_.command.empty()) {
    soundBell_();
    out_ << "ferlang-feed: heard " << argv[0] << " at " << argv[1] << ", " << argv[2] << " dB, "
         << argv[3] << " MHz\n"
         << std::flush;
    return AlertOutcome::Announced;
  }
  std::string error;
  if (!startProgram_(argv, error)) {
    err_ << "ferlang-feed: cannot start the alert command " << argv[0] << ": " << error << '\n'
         << std::flush;
    return AlertOutcome::Failed;
  }
  return AlertOutcome::Started;
}

std::vector<std::string> splitCommandWords(const std::string& command) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false, quoted = false;
  for (char c : command) {
    if (c == '"') {
      quoted = !quoted;
      inWord = true;
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (inWord) words.push_back(std::move(word));
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (inWord) words.push_back(std::move(word));
  return words;
}

}  // namespace feed
