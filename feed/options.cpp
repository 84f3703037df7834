// Reading the command line: options may come before, between or after the two file names;
// "--" ends the options.
#include "feed/options.h"

namespace feed {
namespace {

bool takesValue(const std::string& option) { return option == "--band"; }

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
    } else if (argument == "--local") {
      options.localTime = true;
    } else if (takesValue(argument)) {
      if (i + 1 >= arguments.size()) {
        parsed.error = argument + " needs a value";
        return parsed;
      }
      const std::string& value = arguments[++i];
      options.band = findBand(value);
      if (!options.band) {
        parsed.error = "unknown band \"" + value + "\" (known: " + std::string(bandNames()) + ")";
        return parsed;
      }
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
  return "Usage: ferlang-feed [options] ALL_WSPR.TXT SPOTLOG\n"
         "Converts the WSPR decodes that a decoder appends to ALL_WSPR.TXT into records of\n"
         "Ferlang's spot log SPOTLOG (call,frequency,hh:mm:00,locator,snr,power dBm), then\n"
         "follows ALL_WSPR.TXT as it grows. SPOTLOG is only appended to; a new or empty one\n"
         "gets a heading line first. Lines of other modes, the station's own transmissions and\n"
         "unreadable lines are skipped and counted.\n"
         "\n"
         "Options:\n"
         "  --once         convert what ALL_WSPR.TXT holds now, print the counts and end\n"
         "  --band BAND    keep only decodes in BAND (" +
         std::string(bandNames()) +
         ")\n"
         "  --local        write the local time of day instead of the decoder's UTC\n"
         "  --help         print this text\n"
         "\n"
         "Ctrl+C (or SIGTERM) ends following; the exit status is 0 then, 1 when a file cannot\n"
         "be read or written, 2 for a bad command line.\n"
         "Example: ferlang-feed --band 30m ~/.local/share/WSJT-X/ALL_WSPR.TXT wspr-30m.log\n";
}

}  // namespace feed
