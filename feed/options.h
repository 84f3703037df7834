// The feed's command line.
//
//   ferlang-feed [--once] [--band BAND] [--local] ALL_WSPR.TXT SPOTLOG
//
// A bad command line is reported as one line of text, which the program prints on standard
// error before it ends with status 2.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "feed/bands.h"

namespace feed {

struct FeedOptions {
  bool once = false;         // convert what is there, then end
  std::optional<Band> band;  // keep only decodes in this band
  bool localTime = false;    // local time of day instead of the decoder's UTC
  std::string source;        // the decoder log
  std::string spotLog;       // the spot log written
};

struct ParsedOptions {
  enum class Action { Run, Help, Error } action = Action::Error;
  FeedOptions options;
  std::string error;  // for Error: one line, without the program's name
};

// Reads the arguments after the program's name. Pure function.
ParsedOptions parseOptions(const std::vector<std::string>& arguments);

// The usage text printed by --help.
std::string usageText();

}  // namespace feed
