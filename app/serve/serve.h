// The chart served over HTTP, read-only, for a station without a screen: `ferlang --serve`.
// With a display the window runs as usual beside it; without one the plotter runs headless.
#pragma once

#include <string>

namespace app {

struct ServeRequest {
  std::string folder;  // the settings folder; empty: the program's own folder
  std::string host;    // the address to listen on
  int port = 0;        // 0: any free port (the start-up line names it)
};

// Main thread, from main(); never returns. Status 2 with one line on standard error when the
// address cannot be bound, before anything else starts; status 0 on SIGINT or SIGTERM (or, with
// a window, as the window ends).
[[noreturn]] void runServe(const ServeRequest& request, int argc, char** argv);

}  // namespace app
