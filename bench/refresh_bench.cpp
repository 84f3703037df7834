// One full refresh of the plotter, as every 100th pass runs it: read the settings, paint the
// chart frame, re-read and plot the whole log. Logs of 25 000 to 1 000 000 records built from
// the demo corpus show the cost per record stays flat (targets: 10^5 records in 0.1 s, 10^6 in
// 1.0 s). Each size runs twice: with text cells recorded, as the running program does
// (cells:1), and with every glyph drawn at once (cells:0), the drawing path before recorded
// cells, so that the speed-up is a ratio measured in one run on the same log.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/chart_frame.h"
#include "app/plotter_state.h"
#include "app/spot_log.h"
#include "bench/corpus.h"
#include "runtime/core/statement.h"
#include "runtime/core/string_engine.h"
#include "runtime/files/file_open.h"
#include "runtime/screen/cell_records.h"
#include "runtime/screen/palette.h"
#include "runtime/screen/screen_mode.h"

namespace {

namespace fs = std::filesystem;

// A folder holding Ferlang.SET and a log of `count` records; it becomes the current directory.
void prepareFolder(int64_t count) {
  static const std::vector<std::string> records = corpusRecords();
  fs::path folder = fs::temp_directory_path() / ("ferlang-refresh-" + std::to_string(getpid()));
  fs::create_directories(folder);
  fs::current_path(folder);
  std::ofstream("Ferlang.SET") << "spots.log\nDK7QX\nG4WNT\nSM5XPA\nEA5HQO\nW3RJD\nOH2LRT\n";
  std::ofstream log("spots.log", std::ios::binary);
  log << "Spots\n";
  for (int64_t i = 0; i < count; ++i) log << records[static_cast<size_t>(i) % records.size()];
}

void BM_FullRefresh(benchmark::State& state) {
  prepareFolder(state.range(0));
  rt::initStringEngine();
  rt::initScreen();
  rt::setScreenMode(12, 0, 0, 0, 0, rt::kGivenMode);
  rt::setCellRecording(state.range(1) != 0);
  app::PlotterState plotter = app::createPlotterState();
  for (auto _ : state) {
    rt::Steps steps;
    app::readSettings(steps, plotter);
    app::drawChartFrame(steps, plotter);
    app::rereadSpotLog(steps, plotter);
    rt::closeFile(1);
    // The cells still recorded are drawn as well, so that each run ends with the same pixels.
    rt::revealAllCells(*rt::writeSurface());
  }
  rt::setCellRecording(false);
  state.counters["records/s"] =
      benchmark::Counter(static_cast<double>(state.range(0)), benchmark::Counter::kIsIterationInvariantRate);
  fs::remove_all(fs::current_path());
}
BENCHMARK(BM_FullRefresh)
    ->ArgNames({"records", "cells"})
    ->ArgsProduct({{25000, 100000, 200000, 1000000}, {1, 0}})
    ->Unit(benchmark::kMillisecond);

}  // namespace
