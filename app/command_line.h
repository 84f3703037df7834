// Ferlang's command line. With no arguments the program behaves as it always has: its own
// folder holds Ferlang.SET and it opens its window. The options add a settings folder of the
// user's choice, a picture written without a window, and the usual --help and --version.
#pragma once

#include <string>
#include <vector>

namespace app {

enum class Action {
  OpenWindow,   // the chart in its window (the default)
  WriteSnapshot, // the chart as a PNG file, no window
  Serve,         // the chart over HTTP, with the window where there is a display
  ShowHelp,
  ShowVersion,
  Refuse,       // a usage error: `problem` says what; exit status 2
};

struct CommandLine {
  Action action = Action::OpenWindow;
  std::string folder;        // --folder DIR; empty: the program's own folder
  std::string snapshotPath;  // --snapshot FILE
  int everyMinutes = 0;      // --every MINUTES with --snapshot; 0: one picture
  std::string serveHost;     // --serve [ADDRESS:]PORT: the address, 127.0.0.1 when not given
  int servePort = -1;        // and the port (0: any free one)
  std::string problem;       // the one line to show for Refuse
  // What the window's runtime gets: the program's name and the X toolkit's "-display NAME".
  std::vector<char*> runtimeArguments;
};

// Reads argv. Any thread; no side effects.
CommandLine parseCommandLine(int argc, char** argv);

// Checks that `folder` exists, is a folder and can be read; "" when it can be used, else the
// line to show.
std::string folderProblem(const std::string& folder);

// The text of --help and of --version (the version, then the copyright and licence), each
// ending in a newline.
std::string usageText();
std::string versionText();

}  // namespace app
