// Closing the plotter's window at random moments while it starts up, with both cores busy:
// during its first seconds it sets its title, waits, attaches its menu and changes the screen
// mode, and a close request may arrive at any of those points, while each of its threads is
// often preempted between two steps. Every run must end with status 0 within one second of the
// close.
#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/e2e/process.h"
#include "tests/e2e/x11_test.h"
#include "tools/x11_driver/x11_driver.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr const char* kTitle = "Morvik Ferlang V0.03 18/11/17";
constexpr const char* kSettings = "spots.log\r\nW1AAA\r\nQQ1BBB\r\nW3CCC\r\nW4DDD\r\nW5EEE\r\nW6FFF\r\n";
constexpr const char* kLog = "Heading\r\nQQ1BBB,a,09:47:30,b,-12,c\r\nQQ1CCC,a,23:59:59,b,3,c\r\n";

constexpr int kRuns = 100;
constexpr int kCloseWithinMs = 3000;  // the close comes this long after the start, at most
constexpr int kExitWithinMs = 1000;
constexpr unsigned kBusyLoops = 2;

// Child processes that keep every core busy while they live.
class BusyLoops {
 public:
  explicit BusyLoops(unsigned count) {
    for (unsigned i = 0; i < count; ++i) {
      pid_t pid = fork();
      if (pid == 0) {
        volatile unsigned long spin = 0;
        for (;;) spin = spin + 1;
      }
      if (pid > 0) pids_.push_back(pid);
    }
  }
  ~BusyLoops() {
    for (pid_t pid : pids_) kill(pid, SIGKILL);
    for (pid_t pid : pids_) waitpid(pid, nullptr, 0);
  }
  BusyLoops(const BusyLoops&) = delete;
  BusyLoops& operator=(const BusyLoops&) = delete;

  size_t running() const { return pids_.size(); }

 private:
  std::vector<pid_t> pids_;
};

// A thread's scheduling as /proc shows it.
struct ThreadScheduling {
  std::string name;
  int nice = 0;
  int policy = 0;  // SCHED_OTHER 0, SCHED_BATCH 3, SCHED_IDLE 5
};

// Every thread of the running process `pid`.
std::vector<ThreadScheduling> threadsOf(pid_t pid) {
  std::vector<ThreadScheduling> threads;
  std::error_code error;
  const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
  for (const auto& task : std::filesystem::directory_iterator(tasks, error)) {
    std::ifstream stat(task.path() / "stat");
    std::string line;
    std::getline(stat, line);
    const size_t nameEnd = line.rfind(')');
    if (nameEnd == std::string::npos) continue;
    ThreadScheduling thread;
    thread.name = line.substr(line.find('(') + 1, nameEnd - line.find('(') - 1);
    // After the name: state is field 3, nice field 19 and policy field 41.
    std::istringstream fields(line.substr(nameEnd + 2));
    std::vector<std::string> values;
    for (std::string value; fields >> value;) values.push_back(value);
    if (values.size() < 39) continue;
    thread.nice = std::stoi(values[16]);
    thread.policy = std::stoi(values[38]);
    threads.push_back(thread);
  }
  return threads;
}

class CloseRaceTest : public e2e::X11Test {
 protected:
  void writeFile(const std::string& name, const std::string& content) {
    std::ofstream(program.folder() + "/" + name, std::ios::binary) << content;
  }

  e2e::TempProgram program{FERLANG_BINARY};
};

TEST_F(CloseRaceTest, CloseInTheFirstThreeSecondsUnderFullLoadEndsWithStatus0In100RunsOf100) {
  writeFile("Ferlang.SET", kSettings);
  writeFile("spots.log", kLog);
  BusyLoops load(kBusyLoops);
  ASSERT_EQ(load.running(), kBusyLoops);
  std::mt19937 random(std::random_device{}());
  std::vector<std::string> failures;
  for (int run = 0; run < kRuns; ++run) {
    // Else the search by title could find the last run's window and send the close to it.
    ASSERT_TRUE(noWindowTitled(kTitle)) << "run " << run << ": the last run's window stays";
    const auto closeAfter = milliseconds(random() % kCloseWithinMs);
    const Clock::time_point start = Clock::now();
    pid = e2e::startProgram(program.path(), program.folder());
    Window window = x11driver::findWindow(display, kTitle, 10000);
    ASSERT_NE(window, 0u) << "run " << run << ": no window";
    // A moment before the window has its title is sent as soon as the title is there.
    std::this_thread::sleep_until(start + closeAfter);
    const auto sentAt = std::chrono::duration_cast<milliseconds>(Clock::now() - start);
    x11driver::sendClose(display, window);
    int status = e2e::waitForExit(pid, kExitWithinMs);
    pid = 0;
    if (status != 0) {
      std::ostringstream failure;
      failure << "run " << run << ": closed " << sentAt.count() << " ms after the start, "
              << (status == -2 ? "still running one second later"
                               : "status " + std::to_string(status));
      failures.push_back(failure.str());
    }
  }
  std::ostringstream list;
  for (const std::string& failure : failures) list << "\n  " << failure;
  EXPECT_TRUE(failures.empty()) << failures.size() << " of " << kRuns << " runs failed:"
                                << list.str();
}

// Each thread runs its own way out when the process ends, so one thread of the lowest priority
// can keep a process that has ended, its X connection and its window, for seconds on busy
// cores. None of the program's threads may have less than normal priority.
TEST_F(CloseRaceTest, NoThreadOfTheRunningProgramHasLowPriority) {
  writeFile("Ferlang.SET", kSettings);
  writeFile("spots.log", kLog);
  pid = e2e::startProgram(program.path(), program.folder());
  Window window = x11driver::findWindow(display, kTitle, 10000);
  ASSERT_NE(window, 0u);
  // The OpenGL library starts its threads with the context and the first frames.
  std::this_thread::sleep_for(milliseconds(1500));
  const int startedNice = getpriority(PRIO_PROCESS, 0);  // the program inherits it
  std::vector<ThreadScheduling> threads = threadsOf(pid);
  EXPECT_GE(threads.size(), 4u) << "the main thread and the runtime's three";
  for (const ThreadScheduling& thread : threads) {
    EXPECT_EQ(thread.policy, SCHED_OTHER) << thread.name;
    EXPECT_LE(thread.nice, startedNice) << thread.name;
  }
  x11driver::sendClose(display, window);
  EXPECT_EQ(e2e::waitForExit(pid, kExitWithinMs), 0);
  pid = 0;
}

}  // namespace
