// Whether the window system can be reached, asked once at start-up before any thread or window
// exists: without a display the window library would end the process from the main thread while
// the runtime's threads run, and the process could crash on its way out.
#pragma once

#include <string>

namespace rt {

// Opens and closes a connection to the display the window will use: the one named by a
// "-display name" pair in `argv` (the window library takes that option too), else DISPLAY.
// Returns an empty string when the connection opens, otherwise one line saying which display
// could not be reached and what to do. Start-up, main thread; blocks for one connection attempt.
std::string displayProblem(int argc, char** argv);

}  // namespace rt
