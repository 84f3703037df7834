// Starting the program under test in a folder of its own and waiting for it to end.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace e2e {

// A fresh temporary folder holding a copy of `binary`; removed by ~TempProgram.
class TempProgram {
 public:
  explicit TempProgram(const std::string& binary);
  ~TempProgram();
  TempProgram(const TempProgram&) = delete;
  TempProgram& operator=(const TempProgram&) = delete;

  const std::string& folder() const { return folder_; }
  const std::string& path() const { return path_; }

 private:
  std::string folder_, path_;
};

// Starts `path` with `arguments` and `workingFolder` as its current directory. Returns the
// child's pid.
pid_t startProgram(const std::string& path, const std::string& workingFolder,
                   const std::vector<std::string>& arguments = {});

// Waits up to `timeoutMs` for the child to end. Returns its exit status, -1 when it was killed
// by a signal, or -2 on timeout (the child is then killed).
int waitForExit(pid_t pid, int timeoutMs);

// A program run to its end: its exit status as waitForExit reports it, and everything it wrote
// to standard error.
struct FinishedRun {
  int status = -2;
  std::string standardError;
};

// Runs `path` with `workingFolder` as its current directory and DISPLAY set to `display`, or
// removed from its environment when `display` is null; collects its standard error and waits up
// to `timeoutMs` for it to end (on timeout it is killed and the status is -2).
FinishedRun runWithDisplay(const std::string& path, const std::string& workingFolder,
                           const char* display, int timeoutMs,
                           const std::vector<std::string>& arguments = {});

// True while the child has not ended (it is not reaped).
bool isRunning(pid_t pid);

// The current directory of a running process.
std::string currentDirectoryOf(pid_t pid);

// One GET on 127.0.0.1:`port`: the answer's status (0 when no answer came) and body.
struct HttpAnswer {
  int status = 0;
  std::string body;
};
HttpAnswer httpGet(int port, const std::string& target);

// A loopback port that no one listens on now.
int freeLoopbackPort();

}  // namespace e2e
