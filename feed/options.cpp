// Reading the command line: options may come before, between or after the two file names;
// "--" ends the options.
#include "feed/options.h"

#include <algorithm>
#include <charconv>

#include "feed/alerts.h"

namespace feed {
namespace {

bool takesValue(const std::string& option) {
  return option == "--band" || option == "--alert-every" || option == "--settings" ||
         option == "--keep-hours" || option == "--mode";
}

bool isOption(const std::string& argument) { return argument.size() > 1 && argument[0] == '-'; }

// The file names among arguments[from...] (values of options not counted).
size_t fileNamesFrom(const std::vector<std::string>& arguments, size_t from) {
  size_t count = 0;
  for (size_t i = from; i < arguments.size(); ++i) {
    if (arguments[i] == "--") return count + arguments.size() - i - 1;
    if (takesValue(arguments[i])) {
      ++i;
    } else if (!isOption(arguments[i])) {
      ++count;
    }
  }
  return count;
}

// A whole number within [low, high].
bool readNumber(const std::string& text, int low, int high, int& value) {
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  return result.ec == std::errc() && result.ptr == text.data() + text.size() && value >= low &&
         value <= high;
}

// Stores the value of an option that takes one; false with the error set when it is bad.
bool takeValue(const std::string& option, const std::string& value, FeedOptions& options,
               std::string& error) {
  if (option == "--band") {
    options.band = findBand(value);
    if (!options.band) {
      error = "unknown band \"" + value + "\" (known: " + std::string(bandNames()) + ")";
    }
    return options.band.has_value();
  }
  if (option == "--alert-every") {
    if (readNumber(value, 0, 100000, options.alertEveryMinutes)) return true;
    error = "--alert-every needs a number of minutes from 0 to 100000, not \"" + value + "\"";
    return false;
  }
  if (option == "--mode") {
    // Repeatable, or a comma list: the modes add up.
    if (options.modes == allModes) options.modes = 0;
    for (size_t start = 0; start <= value.size();) {
      const size_t end = std::min(value.find(',', start), value.size());
      const std::string name = value.substr(start, end - start);
      if (name == "WSPR" || name == "wspr") {
        options.modes |= modeBit(Mode::Wspr);
      } else if (name == "FT8" || name == "ft8") {
        options.modes |= modeBit(Mode::Ft8);
      } else if (name == "FT4" || name == "ft4") {
        options.modes |= modeBit(Mode::Ft4);
      } else {
        error = "unknown mode \"" + name + "\" (known: WSPR FT8 FT4)";
        return false;
      }
      start = end + 1;
    }
    return true;
  }
  if (option == "--keep-hours") {
    if (readNumber(value, 1, 100000, options.keepHours)) return true;
    error = "--keep-hours needs a number of hours from 1 to 100000, not \"" + value + "\"";
    return false;
  }
  options.settingsPath = value;
  if (value.empty()) error = "--settings needs a file name";
  return !value.empty();
}

}  // namespace

ParsedOptions parseOptions(const std::vector<std::string>& arguments) {
  ParsedOptions parsed;
  FeedOptions& options = parsed.options;
  std::vector<std::string> files;
  bool optionsEnded = false;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (optionsEnded || argument.empty() || argument[0] != '-' || argument == "-") {
      files.push_back(argument);
      continue;
    }
    if (argument == "--") {
      optionsEnded = true;
    } else if (argument == "--help" || argument == "-h") {
      parsed.action = ParsedOptions::Action::Help;
      return parsed;
    } else if (argument == "--once") {
      options.once = true;
    } else if (argument == "--from-start") {
      options.fromStart = true;
    } else if (argument == "--local") {
      options.localTime = true;
    } else if (argument == "--alert") {
      options.alert = true;
      // The next argument is the command unless the two file names need it.
      const bool commandFollows = i + 1 < arguments.size() && !isOption(arguments[i + 1]) &&
                                  files.size() + fileNamesFrom(arguments, i + 1) > 2;
      if (commandFollows) {
        options.alertCommand = splitCommandWords(arguments[++i]);
        if (options.alertCommand.empty()) {
          parsed.error = "--alert: the command is empty";
          return parsed;
        }
      }
    } else if (takesValue(argument)) {
      if (i + 1 >= arguments.size()) {
        parsed.error = argument + " needs a value";
        return parsed;
      }
      if (!takeValue(argument, arguments[++i], options, parsed.error)) return parsed;
    } else {
      parsed.error = "unknown option " + argument + " (see --help)";
      return parsed;
    }
  }
  if (files.size() != 2) {
    parsed.error = files.size() < 2 ? "the decoder log and the spot log must be named (see --help)"
                                    : "too many file names: " + files[2] + " (see --help)";
    return parsed;
  }
  options.source = files[0];
  options.spotLog = files[1];
  parsed.action = ParsedOptions::Action::Run;
  return parsed;
}

std::string usageText() {
  return "Usage: ferlang-feed [options] DECODERLOG SPOTLOG\n"
         "Converts the decodes that a decoder appends to DECODERLOG (WSPR in ALL_WSPR.TXT, FT8\n"
         "and FT4 in ALL.TXT, in any of their layouts) into records of Ferlang's spot log\n"
         "SPOTLOG (call,frequency,hh:mm:ss,locator,snr,power dBm; FT8 and FT4 leave the power\n"
         "empty), then follows DECODERLOG as it grows. An FT8 or FT4 decode is a spot of its\n"
         "sender: the call after CQ, QRZ or DE (and a directive such as DX or POTA), else the\n"
         "second call of the message; decodes marked '?' and messages without a sender's call\n"
         "are skipped. Without --keep-hours SPOTLOG is only appended to;\n"
         "a new or empty one gets a heading line first. Lines of other modes, the station's\n"
         "own transmissions and unreadable lines are skipped and counted. A new run continues\n"
         "where the last one stopped (SPOTLOG.ferlang-feed-state records where that was), so\n"
         "no decode is written twice and none is lost across restarts.\n"
         "\n"
         "Options:\n"
         "  --once         convert what DECODERLOG holds now, print the counts and end\n"
         "  --from-start   convert all of DECODERLOG again, not only what is new\n"
         "  --mode MODES   keep only the decodes of MODES: WSPR, FT8 or FT4, repeated or as a\n"
         "                 comma list (default: every mode the file holds)\n"
         "  --band BAND    keep only decodes in BAND, for example 30m (2200m to 23cm)\n"
         "  --local        write the local time of day instead of the decoder's UTC\n"
         "  --alert [COMMAND]\n"
         "                 when a new decode names one of the six watched calls of the\n"
         "                 settings file, run COMMAND with the call, the time hh:mm, the SNR\n"
         "                 and the frequency as four more arguments (no shell is used;\n"
         "                 double quotes group words of COMMAND). Without COMMAND: beep and\n"
         "                 print a line. Decodes already in the file at the start raise none.\n"
         "  --alert-every MINUTES\n"
         "                 at most one alert per call within MINUTES (default 30)\n"
         "  --settings FILE\n"
         "                 the settings file with the watched calls (default: Ferlang.SET in\n"
         "                 SPOTLOG's folder); re-read when it changes\n"
         "  --keep-hours N keep SPOTLOG to the decodes of the last N hours: about once a\n"
         "                 minute SPOTLOG is rewritten whole (a new file renamed over it)\n"
         "  --help         print this text\n"
         "\n"
         "Ctrl+C (or SIGTERM) ends following; the exit status is 0 then, 1 when a file cannot\n"
         "be read or written, 2 for a bad command line.\n"
         "Examples:\n"
         "  ferlang-feed --band 30m ~/.local/share/WSJT-X/ALL_WSPR.TXT wspr-30m.log\n"
         "  ferlang-feed --keep-hours 24 --alert ~/bin/ferlang-alert ALL_WSPR.TXT wspr.log\n"
         "  ferlang-feed --mode FT8 --band 40m ~/.local/share/WSJT-X/ALL.TXT ft8-40m.log\n"
         "where ~/bin/ferlang-alert is a small script that shows a desktop notification:\n"
         "  #!/bin/sh\n"
         "  exec notify-send \"Ferlang: $1 heard\" \"at $2, SNR $3 dB, $4 MHz\"\n";
}

}  // namespace feed
