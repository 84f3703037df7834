// Running the Windows build's programs under Wine from a Linux test, on the test's X display.
//
// Every program runs in the end-to-end tests' own Wine prefix (in the test build, or where
// $FERLANG_E2E_WINEPREFIX says), made on first use, so that ending its programs touches nothing
// else; Wine's messages are off. A Wine server is kept running for the whole test program so
// that each start costs one process, not a server.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include <X11/Xlib.h>

namespace e2e {

// Prepares the prefix (wineboot once) and starts a persistent Wine server. Once per test
// program, before the first start. False when Wine cannot be set up.
bool prepareWine();

// Ends every Wine program left in the prefix (Notepad, say) and the server. Once per test
// program, after the last test.
void endWinePrograms();

// Starts `exe` with `arguments` under wine64 with `workingFolder` as its current directory.
// Returns the pid of the Wine process, which is the Windows program's: its exit status is the
// program's.
pid_t startUnderWine(const std::string& exe, const std::string& workingFolder,
                     const std::vector<std::string>& arguments = {});

// The top-level windows whose name contains `part`.
std::vector<Window> windowsNamedWith(Display* display, const std::string& part);

}  // namespace e2e
