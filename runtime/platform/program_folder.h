// The folder the program's own file lives in.
#pragma once

namespace rt {

// Makes the folder of the running executable the current directory; leaves it unchanged when
// the executable's path cannot be found. Start-up, main thread.
void enterProgramFolder();

}  // namespace rt
