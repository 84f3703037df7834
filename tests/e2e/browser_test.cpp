// The web view in a real browser: headless Chromium, driven through chromedriver by
// tests/e2e/browser_view.py, opens the page of `ferlang --serve`. The chart it shows is the
// snapshot of the same folder pixel for pixel; a spot appended to the log shows up in the open
// page without the page being loaded again; the browser's console logs no error.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/e2e/png_picture.h"
#include "tests/e2e/process.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// The Debian packages' programs (scripts/setup installs them).
constexpr const char* kPython = "/usr/bin/python3";
constexpr const char* kChromedriver = "/usr/bin/chromedriver";
constexpr const char* kChromium = "/usr/lib/chromium/chromium";

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

bool startsWith(const std::string& text, const std::string& start) { return text.rfind(start, 0) == 0; }

// The processes of a browser run: those in process group `group` and those whose command line
// names `folder` (the browser's crash handlers leave the group for sessions of their own, but
// their command lines name the profile's folder).
std::vector<pid_t> processesOf(pid_t group, const std::string& folder) {
  std::vector<pid_t> found;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator("/proc", error)) {
    const std::string name = entry.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    const pid_t pid = std::stoi(name);
    if (pid == getpid()) continue;
    // The fields after the name in parentheses: state, parent, process group.
    const std::string stat = readFile(entry.path().string() + "/stat");
    const size_t nameEnd = stat.rfind(')');
    if (nameEnd == std::string::npos) continue;
    std::istringstream fields(stat.substr(nameEnd + 1));
    std::string state;
    pid_t parent = 0, pgrp = 0;
    fields >> state >> parent >> pgrp;
    if (state == "Z") continue;  // ended already, waiting for its parent
    if (pgrp == group || readFile(entry.path().string() + "/cmdline").find(folder) != std::string::npos) {
      found.push_back(pid);
    }
  }
  return found;
}

// browser_view.py in a process group of its own, asked one command a line through a pipe. Its
// end closes the pipe (the driver ends the session and chromedriver), then kills whatever of the
// group and of the browser is left.
class BrowserView {
 public:
  explicit BrowserView(const std::string& folder) : folder_(folder) {
    int input[2], output[2];
    if (pipe2(input, O_CLOEXEC) != 0 || pipe2(output, O_CLOEXEC) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      setpgid(0, 0);
      if (dup2(input[0], STDIN_FILENO) < 0 || dup2(output[1], STDOUT_FILENO) < 0) _exit(127);
      execl(kPython, kPython, BROWSER_VIEW_SCRIPT, folder.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    if (pid_ > 0) setpgid(pid_, pid_);  // also here, so that the group exists before any kill
    close(input[0]);
    close(output[1]);
    input_ = input[1];
    output_ = output[0];
    if (pid_ < 0) return;
    started_ = readLine(60000);
  }

  ~BrowserView() {
    if (input_ >= 0) close(input_);
    if (output_ >= 0) close(output_);
    if (pid_ <= 0) return;
    const int status = e2e::waitForExit(pid_, 20000);
    if (status != 0) ADD_FAILURE() << "browser_view.py ended with " << status;
    // The browser's processes get a few seconds to end by themselves; then what is left is killed.
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (!processesOf(pid_, folder_).empty() && Clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    for (const pid_t pid : processesOf(pid_, folder_)) kill(pid, SIGKILL);
  }

  BrowserView(const BrowserView&) = delete;
  BrowserView& operator=(const BrowserView&) = delete;

  // The first answer: "ok" once the browser runs.
  const std::string& started() const { return started_; }

  // The answer to `command`; empty when none came within `timeoutMs`.
  std::string ask(const std::string& command, int timeoutMs = 20000) {
    const std::string line = command + "\n";
    if (write(input_, line.data(), line.size()) != static_cast<ssize_t>(line.size())) return "";
    return readLine(timeoutMs);
  }

 private:
  std::string readLine(int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      if (const size_t end = buffered_.find('\n'); end != std::string::npos) {
        std::string line = buffered_.substr(0, end);
        buffered_.erase(0, end + 1);
        return line;
      }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
      pollfd readable{output_, POLLIN, 0};
      if (left.count() <= 0 || poll(&readable, 1, static_cast<int>(left.count())) <= 0) return "";
      char bytes[4096];
      const ssize_t got = read(output_, bytes, sizeof bytes);
      if (got <= 0) return "";
      buffered_.append(bytes, static_cast<size_t>(got));
    }
  }

  std::string folder_;
  pid_t pid_ = -1;
  int input_ = -1, output_ = -1;
  std::string started_, buffered_;
};

// How many pixels of `shown` differ from `expected` (every one when the sizes differ), and where
// the first few are.
std::string differences(const x11driver::Picture& shown, const x11driver::Picture& expected) {
  if (shown.width != expected.width || shown.height != expected.height) {
    return "sizes " + std::to_string(shown.width) + "x" + std::to_string(shown.height) + " and " +
           std::to_string(expected.width) + "x" + std::to_string(expected.height);
  }
  size_t count = 0;
  std::string first;
  for (int y = 0; y < expected.height; ++y) {
    for (int x = 0; x < expected.width; ++x) {
      if (shown.at(x, y) == expected.at(x, y)) continue;
      if (++count <= 5) {
        char where[64];
        std::snprintf(where, sizeof where, " (%d,%d) %06X not %06X", x, y, shown.at(x, y), expected.at(x, y));
        first += where;
      }
    }
  }
  return count == 0 ? "" : std::to_string(count) + " pixels differ:" + first;
}

constexpr const char* kSettings = "spots.log\r\nW1AAA\r\nQQ1BBB\r\nW3CCC\r\nW4DDD\r\nW5EEE\r\nW6FFF\r\n";
constexpr const char* kLog =
    "Heading\r\n"
    "QQ1BBB,10.140200,09:47:30,FN42,-12,23\r\n"
    "W1AAA,10.140150,12:34:00,FN31,-5,37\r\n"
    "K2XYZ,10.140180,23:59:59,EM10,3,30\r\n";
// A spot of W3CCC, a watched call that the log has not had before.
constexpr const char* kAppended = "W3CCC,10.140120,17:15:00,JO62,-20,33\r\n";

class BrowserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* tool : {kPython, kChromedriver, kChromium}) {
      ASSERT_EQ(access(tool, X_OK), 0) << tool << " is missing; scripts/setup installs it";
    }
    fs::create_directory(station);
    writeFile("Ferlang.SET", kSettings);
    writeFile("spots.log", kLog);
  }

  void TearDown() override {
    if (server > 0) e2e::waitForExit(server, 0);  // kills a server a failed test left running
  }

  void writeFile(const std::string& name, const std::string& content,
                 std::ios::openmode mode = std::ios::trunc) {
    std::ofstream(station + "/" + name, std::ios::binary | std::ios::out | mode) << content;
  }

  // `ferlang --snapshot` of the station folder, without a display.
  x11driver::Picture snapshot(const std::string& name) {
    const std::string png = work.folder() + "/" + name;
    const e2e::FinishedRun run =
        e2e::runWithDisplay(work.path(), "/tmp", nullptr, 20000, {"--snapshot", png, "--folder", station});
    EXPECT_EQ(run.status, 0) << run.standardError;
    return e2e::readPng(png);
  }

  // Starts `ferlang --serve 0` on the station folder, in the test's display when it has one
  // (the chart shows in a window then, as it does for a user), and returns the port it took.
  int startServer() {
    const std::string errors = work.folder() + "/serve.err";
    server = fork();
    if (server == 0) {
      const int file = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (file < 0 || dup2(file, STDERR_FILENO) < 0) _exit(127);
      execl(work.path().c_str(), work.path().c_str(), "--serve", "0", "--folder", station.c_str(),
            static_cast<char*>(nullptr));
      _exit(127);
    }
    const std::string said = "ferlang: serving the chart at http://127.0.0.1:";
    for (auto deadline = Clock::now() + std::chrono::seconds(10); Clock::now() < deadline;) {
      const std::string text = readFile(errors);
      const size_t at = text.find(said);
      if (at != std::string::npos && text.find('\n', at) != std::string::npos) {
        return std::atoi(text.c_str() + at + said.size());
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ADD_FAILURE() << "no address from ferlang --serve: " << readFile(errors);
    return 0;
  }

  e2e::TempProgram work{FERLANG_BINARY};
  const std::string station = work.folder() + "/station";
  pid_t server = 0;
};

TEST_F(BrowserTest, ThePageShowsTheSnapshotAndTakesInAnAppendedSpotWithoutLoadingAgain) {
  const x11driver::Picture before = snapshot("before.png");
  ASSERT_EQ(before.width, 640);
  ASSERT_EQ(before.height, 480);
  const int port = startServer();
  ASSERT_GT(port, 0);
  // The page is opened once the first picture is there, as an address printed in the journal
  // would be; before it the picture's address answers 503.
  int status = 0;
  for (auto deadline = Clock::now() + std::chrono::seconds(20); status != 200 && Clock::now() < deadline;) {
    status = e2e::httpGet(port, "/chart.png").status;
    if (status != 200) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  ASSERT_EQ(status, 200) << "port " << port << "; the server "
                         << (e2e::isRunning(server) ? "runs" : "has ended") << " and said: "
                         << readFile(work.folder() + "/serve.err");

  BrowserView browser(work.folder() + "/browser");
  ASSERT_EQ(browser.started(), "ok");
  const std::string opened = browser.ask("open http://127.0.0.1:" + std::to_string(port) + "/", 60000);
  ASSERT_TRUE(startsWith(opened, "ok /chart.png?v=")) << opened;
  const std::string shownBefore = work.folder() + "/shown-before.png";
  ASSERT_EQ(browser.ask("shot " + shownBefore), "ok");
  EXPECT_EQ(differences(e2e::readPng(shownBefore), before), "");

  // The new spot, while the page stays open with a mark on it.
  ASSERT_EQ(browser.ask("mark"), "ok");
  writeFile("spots.log", kAppended, std::ios::app);
  const x11driver::Picture after = snapshot("after.png");
  ASSERT_NE(differences(after, before), "") << "the appended spot should change the chart";
  // A redraw comes about every ten seconds.
  const std::string changed = browser.ask("wait-src " + opened.substr(3) + " 30", 40000);
  ASSERT_TRUE(startsWith(changed, "ok /chart.png?v=")) << changed;
  const std::string shownAfter = work.folder() + "/shown-after.png";
  ASSERT_EQ(browser.ask("shot " + shownAfter), "ok");
  EXPECT_EQ(differences(e2e::readPng(shownAfter), after), "");
  EXPECT_EQ(browser.ask("marked"), "ok yes") << "the page was loaded again";

  EXPECT_EQ(browser.ask("console"), "ok") << "errors on the browser's console";
  // The console is really read: an error made on purpose shows.
  ASSERT_EQ(browser.ask("error made on purpose"), "ok");
  EXPECT_NE(browser.ask("console").find("made on purpose"), std::string::npos);
  kill(server, SIGTERM);
  EXPECT_EQ(e2e::waitForExit(server, 10000), 0);
  server = 0;
}

}  // namespace
