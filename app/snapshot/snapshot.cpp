#include "app/snapshot/snapshot.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string_view>
#include <thread>

#include "app/main_program.h"
#include "app/plotter_state.h"
#include "app/snapshot/png_file.h"
#include "app/snapshot/visible_picture.h"
#include "runtime/core/statement.h"
#include "runtime/files/file_open.h"
#include "runtime/platform/message_box.h"
#include "runtime/platform/process_exit.h"
#include "runtime/system/runtime_main.h"

namespace app {
namespace {

volatile std::sig_atomic_t stopRequested = 0;

extern "C" void requestStop(int) { stopRequested = 1; }

// With no one to answer a dialog, an error ends the run: its caption and message go to standard
// error and the status is 1.
class ErrorsEndTheRun final : public rt::MessageBoxPresenter {
 public:
  rt::MessageBoxAnswer show(std::string_view caption, std::string_view text,
                            rt::MessageBoxButtons) override {
    rt::endProcessWithError(errorLine(caption, text));
  }
};

// The picture as the window would show it.
std::vector<uint8_t> pictureAsPng() {
  VisiblePicture picture;
  const rt::DisplayFrame* frame = picture.capture();
  if (frame == nullptr) rt::endProcessWithError("no picture was drawn");
  return encodePng(frame->width, frame->height, frame->pixels);
}

void writePicture(const std::string& path) {
  const std::string problem = replaceFileAtomically(path, pictureAsPng());
  if (!problem.empty()) rt::endProcessWithError(problem);
}

// The window's every-100th-pass redraw: settings, chart frame and the whole log, then file 1
// closed as the pass closes it.
void redrawChart(rt::Steps& steps, PlotterState& s) {
  s.cycleCount = 99;
  countPassAndRedraw(steps, s);
  steps(299, [&] { rt::closeFile(1); });
}

// Sleeps until the next picture is due or a stop is requested; true when a stop was.
bool waitMinutes(int minutes) {
  const auto due = std::chrono::steady_clock::now() + std::chrono::minutes(minutes);
  while (stopRequested == 0 && std::chrono::steady_clock::now() < due) {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  return stopRequested != 0;
}

}  // namespace

void runSnapshot(const SnapshotRequest& request) {
  // The file's name is taken before the folder changes, so that a relative one means what the
  // user meant.
  const std::string path = std::filesystem::absolute(request.path).string();
  std::signal(SIGINT, requestStop);
  std::signal(SIGTERM, requestStop);
  static ErrorsEndTheRun errorsEndTheRun;
  rt::setMessageBoxPresenter(&errorsEndTheRun);
  rt::enterWorkingFolder(request.folder);
  rt::prepareRuntime();

  PlotterState s = createPlotterState();
  rt::Steps steps;
  prepareChartScreen(steps, s);
  do {
    redrawChart(steps, s);
    writePicture(path);
  } while (request.everyMinutes > 0 && !waitMinutes(request.everyMinutes));
  rt::endProcess(0);
}

}  // namespace app
