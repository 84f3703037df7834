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

// One pass: menu polls, the redraw and re-read every 100th pass, the key check, the 0.1 s wait
// and the closing of file 1 (lines 121 to 299).
void refreshPass(rt::Steps& steps, PlotterState& s);

}  // namespace app
