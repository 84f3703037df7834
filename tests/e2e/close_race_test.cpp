// Closing the plotter's window at random moments while it starts up: during its first seconds
// it sets its title, waits, attaches its menu and changes the screen mode, and a close request
// may arrive at any of those points. Every run must end with status 0 within one second.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <random>
#include <string>
#include <thread>

#include "tests/e2e/process.h"
#include "tests/e2e/x11_test.h"
#include "tools/x11_driver/x11_driver.h"

namespace {

constexpr const char* kTitle = "Morvik Ferlang V0.03 18/11/17";
constexpr const char* kSettings = "spots.log\r\nW1AAA\r\nQQ1BBB\r\nW3CCC\r\nW4DDD\r\nW5EEE\r\nW6FFF\r\n";
constexpr const char* kLog = "Heading\r\nQQ1BBB,a,09:47:30,b,-12,c\r\nQQ1CCC,a,23:59:59,b,3,c\r\n";

class CloseRaceTest : public e2e::X11Test {
 protected:
  void writeFile(const std::string& name, const std::string& content) {
    std::ofstream(program.folder() + "/" + name, std::ios::binary) << content;
  }

  e2e::TempProgram program{FERLANG_BINARY};
};

TEST_F(CloseRaceTest, CloseAtRandomMomentsOfTheFirstTwoSecondsEndsWithStatus0In50RunsOf50) {
  writeFile("Ferlang.SET", kSettings);
  writeFile("spots.log", kLog);
  std::mt19937 random(std::random_device{}());
  int clean = 0;
  for (int run = 0; run < 50; ++run) {
    // Else the search by title could find the last run's window and send the close to it.
    ASSERT_TRUE(noWindowTitled(kTitle)) << "run " << run << ": the last run's window stays";
    pid = e2e::startProgram(program.path(), program.folder());
    Window window = x11driver::findWindow(display, kTitle, 5000);
    ASSERT_NE(window, 0u) << "run " << run;
    auto delay = std::chrono::milliseconds(random() % 2000);
    std::this_thread::sleep_for(delay);
    x11driver::sendClose(display, window);
    int status = e2e::waitForExit(pid, 1000);
    pid = 0;
    EXPECT_EQ(status, 0) << "run " << run << ", closed " << delay.count() << " ms after the window appeared"
                         << (status == -2 ? " (still running one second later)" : "");
    clean += status == 0;
  }
  EXPECT_EQ(clean, 50);
}

}  // namespace
