#include "app/plotter_state.h"

#include "runtime/core/string_engine.h"

namespace app {
namespace {

rt::RtString* variable() { return rt::newString(0, false); }

}  // namespace

PlotterState createPlotterState() {
  PlotterState s;
  s.titleText = variable();
  // The caption buffer: 1000 zero bytes, a fixed-length string over static storage.
  char* storage = static_cast<char*>(rt::allocateStatic(1000));
  s.itemTextBuffer = rt::newFixedString(storage, 1000, false);
  s.keyText = variable();
  s.logFileName = variable();
  for (rt::RtString*& call : s.watchedCall) call = variable();
  s.spotCall = variable();
  s.spotTime = variable();
  s.unusedField = variable();
  s.hourText = variable();
  s.minuteText = variable();
  s.otherCalls = variable();
  s.seventhCall = variable();
  return s;
}

}  // namespace app
