// The display check on Windows: a program runs on a desktop, so there is always a display to
// create the window on.
#include <string>

#include "runtime/platform/display_check.h"

namespace rt {

std::string displayProblem(int, char**) { return {}; }

}  // namespace rt
