// Stop handlers on POSIX systems: SIGINT (Ctrl+C) and SIGTERM set the stop flag.
#include <signal.h>

#include "feed/stop_signal.h"

namespace feed {
namespace {

extern "C" void onStopSignal(int) { requestStop(); }

}  // namespace

void installStopHandlers() {
  struct sigaction action {};
  action.sa_handler = onStopSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  // A spot log on a pipe or a closed terminal must not end the feed without its message.
  signal(SIGPIPE, SIG_IGN);
}

}  // namespace feed
