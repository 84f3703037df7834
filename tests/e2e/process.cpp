#include "tests/e2e/process.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <vector>

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

namespace {

// The program's name, then the arguments: an argv for execv (its strings are the caller's).
std::vector<char*> argumentVector(const std::string& path, const std::vector<std::string>& arguments) {
  std::vector<char*> argv{const_cast<char*>(path.c_str())};
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  return argv;
}

}  // namespace

pid_t startProgram(const std::string& path, const std::string& workingFolder,
                   const std::vector<std::string>& arguments) {
  std::vector<char*> argv = argumentVector(path, arguments);
  pid_t pid = fork();
  if (pid == 0) {
    if (chdir(workingFolder.c_str()) != 0) _exit(127);
    execv(path.c_str(), argv.data());
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

FinishedRun runWithDisplay(const std::string& path, const std::string& workingFolder,
                           const char* display, int timeoutMs,
                           const std::vector<std::string>& arguments) {
  FinishedRun run;
  std::vector<char*> argv = argumentVector(path, arguments);
  int errorPipe[2];
  if (pipe2(errorPipe, O_CLOEXEC) != 0) return run;
  pid_t pid = fork();
  if (pid == 0) {
    if (dup2(errorPipe[1], STDERR_FILENO) < 0 || chdir(workingFolder.c_str()) != 0) _exit(127);
    if (display == nullptr) {
      unsetenv("DISPLAY");
    } else {
      setenv("DISPLAY", display, 1);
    }
    execv(path.c_str(), argv.data());
    _exit(127);
  }
  close(errorPipe[1]);
  if (pid < 0) {
    close(errorPipe[0]);
    return run;
  }
  // Standard error is read until the child closes it (it ends), or until the time is up.
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    pollfd readable{errorPipe[0], POLLIN, 0};
    if (poll(&readable, 1, static_cast<int>(left.count())) <= 0) continue;
    char bytes[4096];
    ssize_t got = read(errorPipe[0], bytes, sizeof bytes);
    if (got <= 0) break;
    run.standardError.append(bytes, static_cast<size_t>(got));
  }
  close(errorPipe[0]);
  auto remaining = std::chrono::duration_cast<std::chrono::milliseconds>(
      deadline - std::chrono::steady_clock::now());
  run.status = waitForExit(pid, std::max(0, static_cast<int>(remaining.count())));
  return run;
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

namespace {

sockaddr_in loopback(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

}  // namespace

HttpAnswer httpGet(int port, const std::string& target) {
  const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
  const sockaddr_in address = loopback(port);
  std::string reply;
  if (connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
    const std::string request = "GET " + target + " HTTP/1.1\r\nHost: a\r\nConnection: close\r\n\r\n";
    send(socket, request.data(), request.size(), MSG_NOSIGNAL);
    char buffer[65536];
    for (ssize_t received; (received = recv(socket, buffer, sizeof buffer, 0)) > 0;) {
      reply.append(buffer, static_cast<size_t>(received));
    }
  }
  close(socket);
  HttpAnswer answer;
  const size_t body = reply.find("\r\n\r\n");
  if (reply.rfind("HTTP/1.1 ", 0) != 0 || body == std::string::npos) return answer;
  answer.status = std::atoi(reply.c_str() + 9);
  answer.body = reply.substr(body + 4);
  return answer;
}

int freeLoopbackPort() {
  const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address = loopback(0);
  socklen_t length = sizeof address;
  bind(socket, reinterpret_cast<const sockaddr*>(&address), length);
  getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length);
  close(socket);
  return ntohs(address.sin_port);
}

}  // namespace e2e
