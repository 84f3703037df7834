// The message box as a real dialog under the test display: found by its caption, drawn with
// its caption and text lines, holding the keyboard focus, answered with keys and clicks, from
// the main thread, a worker thread and beside the runtime's window; and its stand-in when no
// display can be reached.
#include <X11/keysym.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "tests/e2e/process.h"
#include "tools/x11_driver/x11_driver.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr uint32_t kInk = 0x000000;

struct Button {
  int left = 0, right = 0, bottom = 0;  // window coordinates of its bottom border
  int centreX() const { return (left + right) / 2; }
};

// The dialog's picture, read as what a user sees: the caption above a line, text lines, and a
// row of framed buttons at the bottom.
struct DialogPicture {
  x11driver::Picture picture;

  bool inkInRow(int y, int fromX, int toX) const {
    for (int x = fromX; x < toX; ++x) {
      if (picture.at(x, y) == kInk) return true;
    }
    return false;
  }

  // Runs of ink at least `minLength` long in row y.
  std::vector<std::pair<int, int>> inkRuns(int y, int minLength) const {
    std::vector<std::pair<int, int>> runs;
    for (int x = 0; x < picture.width;) {
      int start = x;
      while (x < picture.width && picture.at(x, y) == kInk) ++x;
      if (x - start >= minLength) runs.push_back({start, x - 1});
      if (x == start) ++x;
    }
    return runs;
  }

  // The buttons, left to right: the lowest row that holds long runs of ink is their bottom edge.
  std::vector<Button> buttons() const {
    for (int y = picture.height - 1; y >= 0; --y) {
      auto runs = inkRuns(y, 30);
      if (runs.empty()) continue;
      std::vector<Button> found;
      for (auto [left, right] : runs) found.push_back({left, right, y});
      return found;
    }
    return {};
  }

  // The line under the caption: the highest row with a run of ink across most of the width.
  int separatorRow() const {
    for (int y = 0; y < picture.height; ++y) {
      if (!inkRuns(y, picture.width / 2).empty()) return y;
    }
    return -1;
  }

  // The top edge of the buttons' frames.
  int buttonTop() const {
    std::vector<Button> found = buttons();
    if (found.empty()) return -1;
    int y = found[0].bottom;
    while (y > 0 && picture.at(found[0].left, y - 1) == kInk) --y;
    return y;
  }

  // Bands of rows with ink between the caption's line and the buttons: one per text line.
  int textLineCount() const {
    int bands = 0;
    bool inBand = false;
    for (int y = separatorRow() + 1; y < buttonTop(); ++y) {
      bool ink = inkInRow(y, 0, picture.width);
      if (ink && !inBand) ++bands;
      inBand = ink;
    }
    return bands;
  }
};

// One run of the probe program with its output captured.
struct ProbeRun {
  pid_t pid = 0;
  int out = -1, err = -1;
};

ProbeRun startProbe(const std::vector<std::string>& arguments, bool withDisplay) {
  int out[2], err[2];
  if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) return {};
  std::vector<char*> argv{const_cast<char*>(DIALOG_PROBE_BINARY)};
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t pid = fork();
  if (pid == 0) {
    dup2(out[1], STDOUT_FILENO);
    dup2(err[1], STDERR_FILENO);
    if (!withDisplay) unsetenv("DISPLAY");
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(out[1]);
  close(err[1]);
  return {pid, out[0], err[0]};
}

std::string readAll(int fd) {
  std::string text;
  char buffer[4096];
  ssize_t got;
  while ((got = read(fd, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<size_t>(got));
  close(fd);
  return text;
}

// Types a key to whichever window has the focus, without moving the focus.
void typeToFocus(Display* display, unsigned long keysym) {
  x11driver::sendKey(display, keysym, true);
  x11driver::sendKey(display, keysym, false);
}

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    display = x11driver::openDisplay();
    ASSERT_NE(display, nullptr) << "the end-to-end tests need a display (scripts/test starts Xvfb)";
  }
  void TearDown() override {
    if (run.pid > 0) e2e::waitForExit(run.pid, 0);  // kills a probe a failed test left running
    if (run.out >= 0) close(run.out);
    if (run.err >= 0) close(run.err);
    if (display != nullptr) XCloseDisplay(display);
  }

  // Starts the probe and waits for its dialog to be on screen, drawn and focused.
  Window show(const std::string& where, const std::string& buttons, const std::string& caption,
              const std::string& text) {
    run = startProbe({where, buttons, caption, text}, true);
    Window dialog = x11driver::findWindow(display, caption, 10000);
    if (dialog == 0) return 0;
    auto deadline = Clock::now() + 5s;
    while (Clock::now() < deadline) {
      picture.picture = x11driver::capture(display, dialog);
      bool drawn = !picture.picture.pixels.empty() &&
                   picture.buttons().size() == (buttons == "ok" ? 1u : 2u);
      if (drawn && x11driver::focusedWindow(display) == dialog) return dialog;
      std::this_thread::sleep_for(10ms);
    }
    ADD_FAILURE() << "the dialog was not drawn with the focus";
    return dialog;
  }

  // Waits for the probe to end; returns what it printed, or a note on how it ended.
  std::string finish() {
    int status = e2e::waitForExit(run.pid, 5000);
    run.pid = 0;
    std::string printed = readAll(run.out);
    run.out = -1;
    lastError = readAll(run.err);
    run.err = -1;
    if (status != 0) return printed + "(exit status " + std::to_string(status) + ")";
    return printed;
  }

  Display* display = nullptr;
  ProbeRun run;
  DialogPicture picture;
  std::string lastError;
};

TEST_F(DialogTest, ShowsTheCaptionAsWindowNameAndDrawsCaptionAndEveryLine) {
  const std::string caption = "Unhandled Error #53";
  Window dialog = show("main", "yesno", caption, "Line:243\nFile not found\nContinue?");
  ASSERT_NE(dialog, 0u);
  EXPECT_EQ(x11driver::windowName(display, dialog), caption);
  int separator = picture.separatorRow();
  ASSERT_GT(separator, 0);
  bool captionDrawn = false;
  for (int y = 0; y < separator; ++y) captionDrawn = captionDrawn || picture.inkInRow(y, 0, 200);
  EXPECT_TRUE(captionDrawn);
  EXPECT_EQ(picture.textLineCount(), 3);
  typeToFocus(display, XK_y);
  EXPECT_EQ(finish(), "answer 6\n");
}

TEST_F(DialogTest, KeysAndClicksGiveTheirAnswers) {
  struct Case {
    const char* name;
    const char* buttons;
    std::vector<unsigned long> keys;  // typed in order; none: click the button below
    int clickButton;
    const char* answer;
  } cases[] = {
      {"Y answers Yes", "yesno", {XK_y}, -1, "answer 6\n"},
      {"N answers No", "yesno", {XK_n}, -1, "answer 7\n"},
      {"Enter answers Yes", "yesno", {XK_Return}, -1, "answer 6\n"},
      {"Escape answers No", "yesno", {XK_Escape}, -1, "answer 7\n"},
      {"a click on Yes answers Yes", "yesno", {}, 0, "answer 6\n"},
      {"a click on No answers No", "yesno", {}, 1, "answer 7\n"},
      {"Enter answers OK", "ok", {XK_Return}, -1, "answer 1\n"},
      {"Escape answers OK", "ok", {XK_Escape}, -1, "answer 1\n"},
      {"a click on OK answers OK", "ok", {}, 0, "answer 1\n"},
      {"Y and N do nothing in an OK box", "ok", {XK_y, XK_n, XK_Return}, -1, "answer 1\n"},
      {"other keys do nothing", "yesno", {XK_a, XK_space, XK_n}, -1, "answer 7\n"},
  };
  int index = 0;
  for (const Case& c : cases) {
    const std::string caption = "Probe " + std::to_string(++index);
    Window dialog = show("main", c.buttons, caption, "Line:1\nSome message\nContinue?");
    ASSERT_NE(dialog, 0u) << c.name;
    if (c.keys.empty()) {
      std::vector<Button> buttons = picture.buttons();
      ASSERT_GT(buttons.size(), static_cast<size_t>(c.clickButton)) << c.name;
      const Button& button = buttons[static_cast<size_t>(c.clickButton)];
      x11driver::clickAt(display, dialog, button.centreX(), button.bottom - 8);
    }
    for (unsigned long key : c.keys) {
      typeToFocus(display, key);
      std::this_thread::sleep_for(20ms);
    }
    EXPECT_EQ(finish(), c.answer) << c.name;
  }
}

TEST_F(DialogTest, AClickBesideTheButtonsDoesNotAnswer) {
  Window dialog = show("main", "yesno", "Probe beside", "Line:1\nSome message\nContinue?");
  ASSERT_NE(dialog, 0u);
  std::vector<Button> buttons = picture.buttons();
  ASSERT_EQ(buttons.size(), 2u);
  x11driver::clickAt(display, dialog, (buttons[0].right + buttons[1].left) / 2,
                     buttons[0].bottom - 8);
  x11driver::clickAt(display, dialog, 4, 4);
  std::this_thread::sleep_for(200ms);
  EXPECT_NE(x11driver::findWindow(display, "Probe beside", 0), 0u) << "the dialog closed";
  typeToFocus(display, XK_n);
  EXPECT_EQ(finish(), "answer 7\n");
}

TEST_F(DialogTest, WorksFromAWorkerThread) {
  Window dialog = show("thread", "yesno", "Probe thread", "From a worker thread");
  ASSERT_NE(dialog, 0u);
  typeToFocus(display, XK_y);
  EXPECT_EQ(finish(), "answer 6\n");
}

TEST_F(DialogTest, WorksBesideTheRuntimesWindowAndTheProcessStillEndsWithStatus0) {
  Window dialog = show("window", "yesno", "Probe window", "Line:244\nBeside the window");
  ASSERT_NE(dialog, 0u);
  EXPECT_NE(x11driver::findWindow(display, "Untitled", 0), 0u) << "the runtime's window is gone";
  typeToFocus(display, XK_n);
  EXPECT_EQ(finish(), "answer 7\n");
}

TEST_F(DialogTest, ADialogDestroyedByAnotherClientAnswersFailed) {
  Window dialog = show("main", "yesno", "Probe destroyed", "Line:1\nSome message\nContinue?");
  ASSERT_NE(dialog, 0u);
  XDestroyWindow(display, dialog);
  XFlush(display);
  EXPECT_EQ(finish(), "answer 0\n");
}

TEST_F(DialogTest, WithNoDisplayTheMessageGoesToStandardErrorAndTheAnswerIsFailed) {
  run = startProbe({"main", "yesno", "Unhandled Error #53", "Line:243\nFile not found"}, false);
  EXPECT_EQ(finish(), "answer 0\n");
  EXPECT_EQ(lastError, "Unhandled Error #53: Line:243\nFile not found\n");
}

}  // namespace
