// The spot log: every redraw re-reads the whole log and plots each spot at its time of day and
// signal-to-noise ratio, shows the latest spot and lists the stations nobody watches.
#pragma once

#include "app/plotter_state.h"

namespace rt {
class Steps;
}

namespace app {

// Opens the log named in the settings as file 1 and plots every record (lines 242 to 285).
// File 1 stays open; the main loop closes it. ProgramThread.
void rereadSpotLog(rt::Steps& steps, PlotterState& s);

// Its two halves: the list of other calls emptied, the log opened and its heading read (lines
// 242 to 244); then every record from where file 1 stands to its end (lines 246 to 285).
void openSpotLog(rt::Steps& steps, PlotterState& s);
void plotRecords(rt::Steps& steps, PlotterState& s);

}  // namespace app
