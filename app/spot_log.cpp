#include "app/spot_log.h"

#include "app/drawing_helpers.h"
#include "app/text_helpers.h"
#include "runtime/core/extended_precision.h"
#include "runtime/core/number_format.h"
#include "runtime/core/number_parse.h"
#include "runtime/core/rounding.h"
#include "runtime/core/statement.h"
#include "runtime/files/field_input.h"
#include "runtime/files/file_open.h"

namespace app {
namespace {

constexpr int32_t kLogFile = 1;

// Line 248: the six fields of one record; after a field whose read failed the rest are not read.
void readRecord(PlotterState& s) {
  rt::inputStringField(kLogFile, s.spotCall);
  rt::inputStringField(kLogFile, s.unusedField);
  rt::inputStringField(kLogFile, s.spotTime);
  rt::inputStringField(kLogFile, s.unusedField);
  if (!rt::errorIsPending()) {
    s.spotSnr = static_cast<int16_t>(rt::inputNumberField(kLogFile, rt::kSigned16Field));
  }
  rt::inputStringField(kLogFile, s.unusedField);
  rt::endInputList();
}

void showLatestSpot(rt::Steps& steps, PlotterState& s) {
  steps(252, [&] { printAt(26, 50, text("Latest spot:")); });
  steps(253, [&] { printAt(27, 50, text("                      ")); });
  steps(254, [&] {
    printAt(27, 50, s.spotCall);
    printItem(text(" "));
    printItem(s.spotTime);
    printItem(text(" "));
    printItem(rt::concatStrings(rt::formatNumber(s.spotSnr), text(" ")));
    printItem(text("dB    "));
  });
}

void classify(rt::Steps& steps, PlotterState& s) {
  steps(255, [&] {
    s.spotColor = 15;
    s.spotMatched = 0;
  });
  // Every test runs; a later match overwrites an earlier one.
  for (int i = 0; i < 6; ++i) {
    if (steps.when(256 + i, [&] { return rt::stringsEqual(s.spotCall, s.watchedCall[i]) != 0; })) {
      steps(256 + i, [&] {
        s.spotColor = s.classColor[i];
        s.spotMatched = 1;
      });
    }
  }
  if (steps.when(262, [&] { return rt::stringsEqual(s.spotCall, s.seventhCall) != 0; })) {
    steps(262, [&] {
      s.spotColor = s.classColor[6];
      s.spotMatched = 1;
    });
  }
}

void computePosition(rt::Steps& steps, PlotterState& s) {
  steps(266, [&] {
    rt::assignString(s.hourText, rt::leftOf(s.spotTime, 2));
    rt::assignString(s.minuteText, rt::midOf(s.spotTime, 4, 2));
  });
  // Extended precision throughout; 6.4 is the double nearest 6.4. Each product and sum is exact
  // in a wider long double, and a quotient by 2.5 of a two-character number never falls halfway
  // between two extended values, so rounding each result to extended gives the x87's values.
  using rt::toExtended;
  steps(268, [&] {
    const long double hours = toExtended(rt::parseNumber(s.hourText) * 24);
    const long double minutes = toExtended(rt::parseNumber(s.minuteText) / 2.5L);
    s.plotX = static_cast<int32_t>(rt::roundToInteger(toExtended(hours + minutes)));
  });
  steps(271, [&] {
    const long double scaled =
        toExtended(static_cast<long double>(s.spotSnr) * static_cast<long double>(6.4));
    s.plotY = static_cast<int32_t>(rt::roundToInteger(toExtended(scaled + 194)));
  });
}

void plotSpot(rt::Steps& steps, PlotterState& s) {
  const int32_t x = s.chartLeft + s.plotX, y = s.chartBaseline - s.plotY;
  if (steps.when(272, [&] { return s.spotMatched == 1; })) {
    steps(273, [&] { pixel(x, y, s.spotColor); });
    for (int32_t radius = 3; radius >= 1; --radius) {
      steps(277 - radius, [&] { circle(x, y, radius, s.spotColor); });
    }
    if (steps.when(277, [&] { return s.spotColor == s.classColor[6]; })) {
      steps(277, [&] { circle(x, y, 5, 12); });
    }
    if (steps.when(278, [&] { return s.spotColor == s.classColor[6]; })) {
      steps(278, [&] { circle(x, y, 6, 12); });
    }
    return;
  }
  steps(280, [&] { pixel(x, y, 15); });
  if (steps.when(281, [&] { return rt::findIn(s.otherCalls, s.spotCall) == 0; })) {
    steps(282, [&] {
      rt::assignString(s.otherCalls, rt::concatStrings(rt::concatStrings(s.otherCalls, s.spotCall), text(" ")));
    });
  }
  steps(284, [&] { printAt(29, 19, rt::spaces(56)); });
  steps(285, [&] { printAt(29, 19, rt::leftOf(s.otherCalls, 56)); });
}

}  // namespace

void rereadSpotLog(rt::Steps& steps, PlotterState& s) {
  openSpotLog(steps, s);
  plotRecords(steps, s);
}

void openSpotLog(rt::Steps& steps, PlotterState& s) {
  steps(242, [&] { rt::assignString(s.otherCalls, text("")); });
  steps(243, [&] {
    rt::openFile(*s.logFileName, rt::OpenMode::Input, rt::OpenAccess::NotGiven, rt::OpenLock::NotGiven,
                 kLogFile);
  });
  steps(244, [&] {
    rt::inputStringField(kLogFile, s.unusedField);
    rt::endInputList();
  });
}

void plotRecords(rt::Steps& steps, PlotterState& s) {
  while (steps.when(246, [] { return rt::atEndOfFile(kLogFile) == 0; })) {
    steps(248, [&] { readRecord(s); });
    showLatestSpot(steps, s);
    classify(steps, s);
    computePosition(steps, s);
    plotSpot(steps, s);
  }
}

}  // namespace app
