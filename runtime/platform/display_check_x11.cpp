#include <X11/Xlib.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "runtime/platform/display_check.h"

namespace rt {
namespace {

// The display name given with -display on the command line, or nullptr.
const char* displayOption(int argc, char** argv) {
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], "-display") == 0) return argv[i + 1];
  }
  return nullptr;
}

}  // namespace

std::string displayProblem(int argc, char** argv) {
  const char* name = displayOption(argc, argv);
  if (name == nullptr) name = std::getenv("DISPLAY");
  if (name == nullptr || name[0] == '\0') {
    return "no display: DISPLAY is not set; set it to a running X server (for example DISPLAY=:0)";
  }
  Display* display = XOpenDisplay(name);
  if (display == nullptr) {
    return std::string("cannot open the display \"") + name + "\": set DISPLAY to a running X server";
  }
  XCloseDisplay(display);
  return {};
}

}  // namespace rt
