// The spot plotter's main program: start-up, then one refresh pass after another for ever.
#pragma once

#include "app/plotter_state.h"

namespace rt {
class Steps;
}

namespace app {

// The application's entry on ProgramThread; never returns (it ends through endProgram, a "No"
// in an error dialog, or the runtime's exit).
void mainProgram();

// Start-up: title, menu bar, screen mode and palette (lines 14 to 113).
void startUp(rt::Steps& steps, PlotterState& s);

// Start-up without a window (the web view): the title, the first pass's redraw due, and the
// chart screen (lines 14, 62 and 108 to 113).
void startHeadless(rt::Steps& steps, PlotterState& s);

// The end of start-up: the 640 x 480 screen mode, its palette and the chart's geometry (lines
// 108 to 113). Also what a picture drawn without a window starts from.
void prepareChartScreen(rt::Steps& steps, PlotterState& s);

// One pass: menu polls, the redraw and re-read every 100th pass, the key check, the 0.1 s wait
// and the closing of file 1 (lines 121 to 299).
void refreshPass(rt::Steps& steps, PlotterState& s);

// A pass without a window, menu or keyboard: the redraw every 100th pass, the 0.1 s wait and
// the closing of file 1 (lines 142 to 285, 298 and 299).
void headlessPass(rt::Steps& steps, PlotterState& s);

// Called on ProgramThread after each pass that redrew the chart, with the plotter's variables;
// the web view publishes the picture from there. None by default.
using RedrawWatcher = void (*)(const PlotterState& s);
void watchRedraws(RedrawWatcher watcher);

// The pass's count and, every 100th pass, the settings, the chart frame and the whole spot log
// drawn again (lines 142 to 285). File 1 stays open for line 299.
void countPassAndRedraw(rt::Steps& steps, PlotterState& s);

}  // namespace app
