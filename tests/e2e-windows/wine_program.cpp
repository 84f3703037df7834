#include "tests/e2e-windows/wine_program.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "tools/x11_driver/x11_driver.h"

namespace e2e {
namespace {

std::string winePrefix() {
  const char* fromEnvironment = std::getenv("FERLANG_E2E_WINEPREFIX");
  return fromEnvironment != nullptr && *fromEnvironment != '\0' ? fromEnvironment : WINE_PREFIX_DEFAULT;
}

// The environment of every Wine program: the prefix, no debug messages, Wine's programs first.
void setWineEnvironment() {
  setenv("WINEPREFIX", winePrefix().c_str(), 1);
  setenv("WINEDEBUG", "-all", 1);
  const char* path = std::getenv("PATH");
  setenv("PATH", (std::string(WINE_PROGRAMS) + ":" + (path != nullptr ? path : "")).c_str(), 1);
}

// Runs a Wine tool to its end with its output discarded; its exit status, or -1.
int runWineTool(std::initializer_list<const char*> arguments) {
  pid_t pid = fork();
  if (pid == 0) {
    setWineEnvironment();
    freopen("/dev/null", "w", stdout);
    freopen("/dev/null", "w", stderr);
    std::vector<char*> argv;
    for (const char* argument : arguments) argv.push_back(const_cast<char*>(argument));
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  if (pid < 0 || waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

bool prepareWine() {
  if (!std::filesystem::exists(winePrefix() + "/system.reg")) {
    std::filesystem::create_directories(winePrefix());
    if (runWineTool({"wine64", "wineboot", "-i"}) != 0) return false;
  }
  // -p: the server stays until it is told to end (endWinePrograms). It fails when a server of
  // the prefix is running already, which serves as well.
  runWineTool({"wineserver", "-p"});
  return true;
}

void endWinePrograms() { runWineTool({"wineserver", "-k"}); }

pid_t startUnderWine(const std::string& exe, const std::string& workingFolder,
                     const std::vector<std::string>& arguments) {
  std::vector<char*> argv{const_cast<char*>("wine64"), const_cast<char*>(exe.c_str())};
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t pid = fork();
  if (pid == 0) {
    setWineEnvironment();
    if (chdir(workingFolder.c_str()) != 0) _exit(127);
    execvp("wine64", argv.data());
    _exit(127);
  }
  return pid;
}

std::vector<Window> windowsNamedWith(Display* display, const std::string& part) {
  std::vector<Window> found;
  Window root = DefaultRootWindow(display), parent = 0, *children = nullptr;
  unsigned int count = 0;
  if (XQueryTree(display, root, &root, &parent, &children, &count) == 0) return found;
  for (unsigned int i = 0; i < count; ++i) {
    if (x11driver::windowName(display, children[i]).find(part) != std::string::npos) {
      found.push_back(children[i]);
    }
  }
  if (children != nullptr) XFree(children);
  return found;
}

}  // namespace e2e
