// Alert programs on POSIX systems: posix_spawnp with an argument vector, waitpid with WNOHANG.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "feed/alert_launch.h"

extern char** environ;

namespace feed {

bool AlertLauncher::start(const std::vector<std::string>& argv, std::string& error) {
  if (argv.empty() || argv[0].empty()) {
    error = "no program named";
    return false;
  }
  std::vector<char*> arguments;
  for (const std::string& argument : argv) {
    if (argument.find('\0') != std::string::npos) {
      error = "an argument holds a zero byte";
      return false;
    }
    arguments.push_back(const_cast<char*>(argument.c_str()));
  }
  arguments.push_back(nullptr);
  // The program starts with no blocked signals and the default actions for the ones the feed
  // handles or ignores itself.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGINT);
  sigaddset(&defaults, SIGTERM);
  sigaddset(&defaults, SIGPIPE);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  pid_t pid = 0;
  // posix_spawnp reports a failed exec as its result and never falls back to a shell.
  const int result =
      posix_spawnp(&pid, arguments[0], nullptr, &attributes, arguments.data(), environ);
  posix_spawnattr_destroy(&attributes);
  if (result != 0) {
    error = std::strerror(result);
    return false;
  }
  running_.push_back(pid);
  return true;
}

void AlertLauncher::reapFinished() {
  for (size_t i = 0; i < running_.size();) {
    int status = 0;
    const pid_t result = waitpid(static_cast<pid_t>(running_[i]), &status, WNOHANG);
    if (result == 0 || (result < 0 && errno == EINTR)) {
      ++i;
    } else {
      running_.erase(running_.begin() + static_cast<std::ptrdiff_t>(i));  // ended (or not ours)
    }
  }
}

void AlertLauncher::soundBell() {
  const char bell = '\a';
  if (isatty(STDERR_FILENO)) (void)!write(STDERR_FILENO, &bell, 1);
}

}  // namespace feed
