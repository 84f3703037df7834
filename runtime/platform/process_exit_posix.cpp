#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "runtime/platform/process_exit.h"

namespace rt {

void endProcess(int status) {
  std::fflush(nullptr);
  _exit(status);
}

void endProcessWithError(std::string_view message) {
  // The line goes out in one write where it can, so another thread's output cannot split it.
  std::string line = program_invocation_short_name;
  line += ": ";
  line += message;
  line += '\n';
  std::fflush(nullptr);
  const char* rest = line.data();
  size_t left = line.size();
  while (left > 0) {
    const ssize_t written = write(STDERR_FILENO, rest, left);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) break;
    rest += written;
    left -= static_cast<size_t>(written);
  }
  endProcess(1);
}

}  // namespace rt
