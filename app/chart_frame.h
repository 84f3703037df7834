// The settings file and the chart frame: every redraw reads the seven settings fields and
// repaints the legend, the chart box with its grid, the hour ruler and the dB scale.
#pragma once

#include "app/plotter_state.h"

namespace rt {
class Steps;
}

namespace app {

// Reads "Ferlang.SET" (lines 146 to 162). ProgramThread.
void readSettings(rt::Steps& steps, PlotterState& s);

// Blanks the legend texts' cells, then paints the legend, chart box, grid, ticks and scales
// (lines 163 to 233). ProgramThread.
void drawChartFrame(rt::Steps& steps, PlotterState& s);

}  // namespace app
