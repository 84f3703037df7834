// A refresh that takes up where the last one ended, against the full refresh, on one large log:
//
//   resume_bench [RECORDS] [APPENDED] [ROUNDS]     (default 10000000 1000 10)
//
// builds a log of RECORDS records from the demo corpus (some 440 MB for 10^7), then, as the
// plotter's every-100th pass does, refreshes it: the first refresh after start (full, and the
// same log drawn by the full path alone, as before taking up existed, for comparison), then
// ROUNDS times APPENDED records appended and a refresh that takes up, then one full refresh of
// the grown log. Prints each time; the pictures of the last taken-up and the full refresh are
// compared, pixel for pixel.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "app/chart_frame.h"
#include "app/main_program.h"
#include "app/plotter_state.h"
#include "app/refresh_resume.h"
#include "app/spot_log.h"
#include "bench/corpus.h"
#include "runtime/core/statement.h"
#include "runtime/core/string_engine.h"
#include "runtime/files/file_open.h"
#include "runtime/screen/cell_records.h"
#include "runtime/screen/image_surface.h"
#include "runtime/screen/palette.h"
#include "runtime/screen/screen_mode.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void appendRecords(int64_t first, int64_t count) {
  static const std::vector<std::string> records = corpusRecords();
  std::string text;
  for (int64_t i = first; i < first + count; ++i) text += records[static_cast<size_t>(i) % records.size()];
  std::ofstream("spots.log", std::ios::binary | std::ios::app) << text;
}

// One every-100th pass: the redraw and file 1 closed; returns its milliseconds.
double refresh(app::PlotterState& plotter) {
  const auto start = Clock::now();
  plotter.cycleCount = 99;
  rt::Steps steps;
  app::countPassAndRedraw(steps, plotter);
  steps(299, [] { rt::closeFile(1); });
  return millisecondsSince(start);
}

// The full path alone, as the pass drew before it could take up.
double fullPathAlone(app::PlotterState& plotter) {
  const auto start = Clock::now();
  rt::Steps steps;
  app::readSettings(steps, plotter);
  app::drawChartFrame(steps, plotter);
  app::rereadSpotLog(steps, plotter);
  rt::closeFile(1);
  return millisecondsSince(start);
}

std::vector<uint8_t> picture() {
  rt::ImageSurface& surface = *rt::writeSurface();
  rt::revealAllCells(surface);
  return {surface.pixels, surface.pixels + 640 * 480};
}

}  // namespace

int main(int argc, char** argv) {
  const int64_t records = argc > 1 ? std::atoll(argv[1]) : 10000000;
  const int64_t appended = argc > 2 ? std::atoll(argv[2]) : 1000;
  const int rounds = argc > 3 ? std::atoi(argv[3]) : 10;
  const fs::path folder = fs::temp_directory_path() / ("ferlang-resume-bench-" + std::to_string(getpid()));
  fs::create_directories(folder);
  fs::current_path(folder);
  std::ofstream("Ferlang.SET") << "spots.log\nDK7QX\nG4WNT\nSM5XPA\nEA5HQO\nW3RJD\nOH2LRT\n";
  std::ofstream("spots.log") << "Spots\n";
  auto start = Clock::now();
  for (int64_t done = 0; done < records; done += 100000) appendRecords(done, std::min<int64_t>(100000, records - done));
  std::printf("log: %lld records, %.0f MB, written in %.1f s\n", static_cast<long long>(records),
              static_cast<double>(fs::file_size("spots.log")) / 1e6, millisecondsSince(start) / 1000);

  rt::initStringEngine();
  rt::initScreen();
  rt::setScreenMode(12, 0, 0, 0, 0, rt::kGivenMode);
  rt::setCellRecording(true);  // as the running program draws
  app::PlotterState plotter = app::createPlotterState();
  std::printf("first refresh after start: %.0f ms (the full path alone: %.0f ms)\n", refresh(plotter),
              fullPathAlone(plotter));
  // The full path alone left its own place; one more refresh takes the fingerprints again.
  refresh(plotter);

  std::vector<double> takenUp;
  int64_t written = records;
  for (int round = 0; round < rounds; ++round) {
    appendRecords(written, appended);
    written += appended;
    takenUp.push_back(refresh(plotter));
  }
  const std::vector<uint8_t> resumedPicture = picture();
  std::sort(takenUp.begin(), takenUp.end());
  app::refreshResume().setEnabled(false);
  const double full = refresh(plotter);
  const bool same = picture() == resumedPicture;
  std::printf("%d refreshes after %lld records appended each: median %.2f ms, longest %.2f ms "
              "(%llu taken up)\n",
              rounds, static_cast<long long>(appended), takenUp[takenUp.size() / 2], takenUp.back(),
              static_cast<unsigned long long>(app::refreshResume().takenUp()));
  std::printf("a full refresh of the same log: %.0f ms, %.0f times as long; the same picture: %s\n",
              full, full / takenUp[takenUp.size() / 2], same ? "yes" : "NO");
  fs::current_path(fs::temp_directory_path());
  fs::remove_all(folder);
  return same ? 0 : 1;
}
