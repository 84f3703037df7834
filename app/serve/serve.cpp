#include "app/serve/serve.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>

#include "app/main_program.h"
#include "app/plotter_state.h"
#include "app/serve/chart_server.h"
#include "app/serve/published_chart.h"
#include "app/snapshot/visible_picture.h"
#include "runtime/core/errors.h"
#include "runtime/core/shared_flags.h"
#include "runtime/core/statement.h"
#include "runtime/files/file_open.h"
#include "runtime/platform/console_output.h"
#include "runtime/platform/display_check.h"
#include "runtime/platform/message_box.h"
#include "runtime/platform/process_exit.h"
#include "runtime/system/runtime_main.h"

namespace app {
namespace {

serve::PublishedChart published;
// Set when an error was shown since the last redraw: that redraw's picture is not published.
std::atomic<bool> errorSinceRedraw{false};
volatile std::sig_atomic_t stopSignalled = 0;

extern "C" void noteStopSignal(int) { stopSignalled = 1; }

// Ends a redraw without a window at its first error.
struct RedrawAbandoned {};

// Every error goes to the page as a line above the chart. With a window the dialog follows as
// usual. Without one the line goes to standard error too, for the service's journal, and the
// redraw ends there.
class ErrorsGoToThePage final : public rt::MessageBoxPresenter {
 public:
  explicit ErrorsGoToThePage(rt::MessageBoxPresenter* dialog) : dialog_(dialog) {}

  rt::MessageBoxAnswer show(std::string_view caption, std::string_view text,
                            rt::MessageBoxButtons buttons) override {
    const std::string line = errorLine(caption, text);
    errorSinceRedraw.store(true);
    published.setError(line);
    if (dialog_ != nullptr) return dialog_->show(caption, text, buttons);
    std::fprintf(stderr, "ferlang: %s\n", line.c_str());
    // Answered here: the redraw ends (runHeadless).
    rt::pendingError.store(0, std::memory_order_relaxed);
    throw RedrawAbandoned{};
  }

 private:
  rt::MessageBoxPresenter* dialog_;
};

std::string textOf(const rt::RtString* text) {
  return text == nullptr ? std::string() : std::string(text->view());
}

// What the chart says in text: the legend's calls, the latest spot and the other calls.
std::vector<std::string> chartTexts(const PlotterState& s) {
  std::string watched;
  for (const rt::RtString* call : s.watchedCall) {
    const std::string name = textOf(call);
    if (!name.empty()) watched += (watched.empty() ? "" : ", ") + name;
  }
  std::vector<std::string> texts{"Watched calls: " + (watched.empty() ? "none" : watched)};
  if (const std::string call = textOf(s.spotCall); !call.empty()) {
    texts.push_back("Latest spot: " + call + " at " + textOf(s.spotTime) + ", " +
                    std::to_string(s.spotSnr) + " dB");
  }
  std::string others = textOf(s.otherCalls);
  while (!others.empty() && others.back() == ' ') others.pop_back();
  if (!others.empty()) texts.push_back("Other calls: " + others);
  return texts;
}

// After a redraw: the picture and its texts, unless an error was shown since the last one; then
// the last good picture stays, with the error line above it.
void publishRedraw(const PlotterState& s) {
  static VisiblePicture picture;
  published.setTitle(textOf(s.titleText));
  if (errorSinceRedraw.exchange(false)) return;
  if (const rt::DisplayFrame* frame = picture.capture()) {
    published.publishPicture(frame->width, frame->height, frame->pixels, chartTexts(s));
  }
}

void watchForStop(bool windowed) {
  while (stopSignalled == 0) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  if (windowed) rt::requestClose(rt::kCloseBoxUsed);  // the window's own way out, status 0
  else rt::endProcess(0);
}

std::string addressForPeople(const std::string& host, int port) {
  const bool ipv6 = host.find(':') != std::string::npos;
  return "http://" + (ipv6 ? "[" + host + "]" : host) + ":" + std::to_string(port) + "/";
}

[[noreturn]] void runHeadless(const std::string& folder) {
  static ErrorsGoToThePage errorsGoToThePage(nullptr);
  rt::setMessageBoxPresenter(&errorsGoToThePage);
  rt::enterWorkingFolder(folder);
  rt::prepareRuntime();
  PlotterState s = createPlotterState();
  rt::Steps steps;
  startHeadless(steps, s);
  for (;;) {
    try {
      headlessPass(steps, s);
    } catch (const RedrawAbandoned&) {
      // Carrying on as after a Yes could go round for ever: a missing log fails every read of
      // it, and the loop over its records never ends. So the redraw ends at its first error,
      // and the next one comes a cycle later, as it would have; until one goes without error
      // the last good picture stays.
      steps(299, [] { rt::closeFile(1); });
      s.cycleCount = 0;
      errorSinceRedraw.store(false);
      continue;
    }
    if (s.cycleCount == 0) publishRedraw(s);
  }
}

}  // namespace

void runServe(const ServeRequest& request, int argc, char** argv) {
  serve::startSockets();
  std::string problem;
  const serve::SocketHandle listener = serve::openListener(request.host, request.port, problem);
  if (listener == serve::kNoSocket) {
    rt::writeStandardText(rt::StandardStream::Error,
                          "ferlang: cannot serve at " + request.host + " port " +
                              std::to_string(request.port) + ": " + problem + "\n");
    rt::endProcess(2);
  }
  const int port = serve::boundPort(listener);
  // Serves until the process ends; it is never taken down before that.
  new serve::ChartServer(listener, published);
  // Typed in a Windows console, these lines reach it as the usage does.
  const std::string address = addressForPeople(request.host, port);
  rt::writeStandardText(rt::StandardStream::Error,
                        "ferlang: serving the chart at " + address + "\n");
  std::fflush(stderr);

  std::signal(SIGINT, noteStopSignal);
  std::signal(SIGTERM, noteStopSignal);
  const bool windowed = rt::displayProblem(argc, argv).empty();
  std::thread(watchForStop, windowed).detach();
  if (!windowed) runHeadless(request.folder);

  static ErrorsGoToThePage errorsGoToThePage(&rt::platformMessageBox());
  rt::setMessageBoxPresenter(&errorsGoToThePage);
  watchRedraws(publishRedraw);
  rt::runtimeMainOnDisplay(argc, argv, mainProgram, request.folder);
}

}  // namespace app
