#include "tests/e2e/process.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace e2e {

TempProgram::TempProgram(const std::string& binary) {
  char pattern[] = "/tmp/ferlang-e2e-XXXXXX";
  folder_ = mkdtemp(pattern);
  path_ = folder_ + "/" + std::filesystem::path(binary).filename().string();
  std::filesystem::copy_file(binary, path_);
  chmod(path_.c_str(), 0755);
}

TempProgram::~TempProgram() {
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

pid_t startProgram(const std::string& path, const std::string& workingFolder) {
  pid_t pid = fork();
  if (pid == 0) {
    if (chdir(workingFolder.c_str()) != 0) _exit(127);
    execl(path.c_str(), path.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  return pid;
}

int waitForExit(pid_t pid, int timeoutMs) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    int status = 0;
    pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return -2;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

bool isRunning(pid_t pid) {
  siginfo_t info{};
  return waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == 0;
}

std::string currentDirectoryOf(pid_t pid) {
  std::error_code error;
  auto target = std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/cwd", error);
  return error ? std::string() : target.string();
}

}  // namespace e2e
