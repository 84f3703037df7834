// Starting other programs on POSIX systems: posix_spawnp with an explicit argument list,
// waitpid, and a background reaper for children that are not waited for.
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <system_error>
#include <thread>

#include "runtime/platform/process_launch.h"

extern char** environ;

namespace rt {
namespace {

// While an interactive child runs on the process's terminal, the process ignores the keyboard
// interrupts, as the C library's system() does, so that Ctrl+C ends the child and not this
// process. Nested or concurrent interactive children share one saved state.
std::mutex interruptsMutex;
int interruptsIgnored = 0;
struct sigaction savedInterrupt, savedQuit;

void ignoreInterrupts() {
  std::lock_guard<std::mutex> lock(interruptsMutex);
  if (interruptsIgnored++ > 0) return;
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGINT, &ignore, &savedInterrupt);
  sigaction(SIGQUIT, &ignore, &savedQuit);
}

void restoreInterrupts() {
  std::lock_guard<std::mutex> lock(interruptsMutex);
  if (--interruptsIgnored > 0) return;
  sigaction(SIGINT, &savedInterrupt, nullptr);
  sigaction(SIGQUIT, &savedQuit, nullptr);
}

void reap(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
}

bool hasZeroByte(std::string_view text) { return text.find('\0') != std::string_view::npos; }

}  // namespace

ChildProcess startProgram(const std::vector<std::string>& argv, ChildTerminal terminal) {
  if (argv.empty() || argv[0].empty()) return {};
  std::vector<char*> arguments;
  for (const std::string& argument : argv) {
    if (hasZeroByte(argument)) return {};
    arguments.push_back(const_cast<char*>(argument.c_str()));
  }
  arguments.push_back(nullptr);

  // The child starts with no blocked signals and the default actions for the interrupts and
  // for broken pipes, whatever this process has set for its own threads.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGINT);
  sigaddset(&defaults, SIGQUIT);
  sigaddset(&defaults, SIGPIPE);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

  if (terminal == ChildTerminal::Interactive) ignoreInterrupts();
  pid_t pid = 0;
  // posix_spawnp looks a name without a slash up on PATH and reports a failed exec as its
  // result; it never falls back to a command interpreter.
  int result = posix_spawnp(&pid, arguments[0], nullptr, &attributes, arguments.data(), environ);
  posix_spawnattr_destroy(&attributes);
  if (result != 0) {
    if (terminal == ChildTerminal::Interactive) restoreInterrupts();
    return {};
  }
  return {static_cast<int64_t>(pid), terminal};
}

void waitForProcess(const ChildProcess& child) {
  if (!child.started()) return;
  reap(static_cast<pid_t>(child.id));
  if (child.terminal == ChildTerminal::Interactive) restoreInterrupts();
}

bool startDetached(const std::vector<std::string>& argv) {
  ChildProcess child = startProgram(argv);
  if (!child.started()) return false;
  const pid_t pid = static_cast<pid_t>(child.id);
  try {
    std::thread(reap, pid).detach();
  } catch (const std::system_error&) {
    // No thread for the reaper: wait here rather than leave a zombie behind.
    reap(pid);
  }
  return true;
}

PathKind pathKind(std::string_view path) {
  if (path.empty() || hasZeroByte(path)) return PathKind::Missing;
  const std::string name(path);
  struct stat info {};
  if (stat(name.c_str(), &info) != 0) return PathKind::Missing;
  if (S_ISREG(info.st_mode) && access(name.c_str(), X_OK) == 0) return PathKind::Executable;
  return PathKind::Other;
}

std::string findProgram(std::string_view name) {
  if (name.empty() || hasZeroByte(name)) return {};
  if (name.find('/') != std::string_view::npos) {
    return pathKind(name) == PathKind::Executable ? std::string(name) : std::string();
  }
  // The same search posix_spawnp makes: PATH's entries in order, an empty entry meaning the
  // current directory, and the system's default list when PATH is not set.
  const char* path = std::getenv("PATH");
  std::string_view entries = path != nullptr ? path : "/bin:/usr/bin";
  for (;;) {
    size_t colon = entries.find(':');
    std::string_view folder = entries.substr(0, colon);
    std::string candidate = (folder.empty() ? std::string(".") : std::string(folder)) + "/";
    candidate.append(name);
    if (pathKind(candidate) == PathKind::Executable) return candidate;
    if (colon == std::string_view::npos) return {};
    entries.remove_prefix(colon + 1);
  }
}

bool graphicalDisplayNamed() {
  for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] != '\0') return true;
  }
  return false;
}

bool standardInputIsTerminal() { return isatty(STDIN_FILENO) == 1; }

}  // namespace rt
