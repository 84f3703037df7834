// The feed's command line.
//
//   ferlang-feed [--once] [--from-start] [--mode MODES] [--band BAND] [--local]
//                [--alert [COMMAND]] [--alert-every MINUTES] [--settings FILE] [--keep-hours N]
//                DECODERLOG SPOTLOG
//
// "--alert" takes the next argument as its COMMAND unless that argument is needed as one of
// the two file names, so "--alert ALL_WSPR.TXT SPOTLOG" alerts without a command.
//
// A bad command line is reported as one line of text, which the program prints on standard
// error before it ends with status 2.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "feed/bands.h"
#include "feed/converter.h"

namespace feed {

struct FeedOptions {
  bool once = false;                      // convert what is there, then end
  bool fromStart = false;                 // not where the last run stopped: all again
  std::optional<Band> band;               // keep only decodes in this band
  ModeSet modes = allModes;               // keep only decodes of these modes
  bool localTime = false;                 // local time of day instead of the decoder's UTC
  std::string source;                     // the decoder log
  std::string spotLog;                    // the spot log written
  bool alert = false;                     // alert when a watched call is heard
  std::vector<std::string> alertCommand;  // COMMAND's words; empty: beep and print
  int alertEveryMinutes = 30;             // at most one alert per call within this period
  std::string settingsPath;               // empty: Ferlang.SET beside the spot log
  int keepHours = 0;                      // 0: only append; else keep the last N hours
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
