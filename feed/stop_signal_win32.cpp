// Stop handlers on Windows: the console's Ctrl+C, Ctrl+Break, close, log-off and shut-down
// events set the stop flag. They arrive on a thread of their own.
#include <windows.h>

#include "feed/stop_signal.h"

namespace feed {
namespace {

BOOL WINAPI onConsoleEvent(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
      requestStop();
      return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      // The process ends when this handler returns: give the polling loop time to write what
      // it holds first.
      requestStop();
      Sleep(1500);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void installStopHandlers() { SetConsoleCtrlHandler(onConsoleEvent, TRUE); }

}  // namespace feed
