#include "app/chart_frame.h"

#include "app/drawing_helpers.h"
#include "app/text_helpers.h"
#include "runtime/core/statement.h"
#include "runtime/files/field_input.h"
#include "runtime/files/file_open.h"
#include "runtime/screen/draw_line.h"

namespace app {
namespace {

constexpr int32_t kSettingsFile = 1;

// Legend marks: three concentric circles in the class colour.
void legendMark(rt::Steps& steps, int32_t firstLine, int32_t x, int32_t y, int32_t color) {
  for (int32_t radius = 3; radius >= 1; --radius) {
    steps(firstLine + 3 - radius, [&] { circle(x, y, radius, color); });
  }
}

}  // namespace

void readSettings(rt::Steps& steps, PlotterState& s) {
  steps(146, [&] {
    rt::openFile(*text("Ferlang.SET"), rt::OpenMode::Input, rt::OpenAccess::NotGiven,
                 rt::OpenLock::NotGiven, kSettingsFile);
  });
  steps(147, [&] { rt::inputStringField(kSettingsFile, s.logFileName); rt::endInputList(); });
  for (int i = 0; i < 6; ++i) {
    steps(148 + i, [&] { rt::inputStringField(kSettingsFile, s.watchedCall[i]); rt::endInputList(); });
  }
  steps(154, [&] { rt::closeFile(kSettingsFile); });
  const int32_t colors[7] = {2, 12, 7, 13, 1, 4, 15};
  for (int i = 0; i < 7; ++i) steps(156 + i, [&] { s.classColor[i] = colors[i]; });
}

void drawChartFrame(rt::Steps& steps, PlotterState& s) {
  // The redraw does not clear the screen, so the legend texts' cells are blanked first: a call
  // edited in the settings must leave nothing of its old text. The blanks end at column 49, as
  // the latest-spot texts from column 50 on rows 26 and 27 stay until the log re-read rewrites
  // them, and a log without records does not. That covers a call of up to 38 characters from
  // column 12 and of up to 25 from column 25. Blank cells print as the cleared screen shows
  // them, so the first redraw's picture is the same as without this step.
  steps(163, [&] {
    for (int32_t row = 26; row <= 28; ++row) printAt(row, 12, rt::spaces(38));
  });
  // Legend texts: classes 1 to 3 from column 12, 4 to 6 from column 25, rows 26 to 28.
  for (int i = 0; i < 6; ++i) {
    steps(165 + i, [&] {
      setForeground(s.classColor[i]);
      printAt(26 + i % 3, i < 3 ? 12 : 25, s.watchedCall[i]);
    });
  }
  steps(171, [&] { setForeground(15); });
  steps(172, [&] { printAt(29, 12, text("Other:")); });
  legendMark(steps, 173, 78, 407, s.classColor[0]);
  legendMark(steps, 176, 78, 423, s.classColor[1]);
  legendMark(steps, 179, 78, 439, s.classColor[2]);
  legendMark(steps, 183, 182, 407, s.classColor[3]);
  legendMark(steps, 186, 182, 423, s.classColor[4]);
  legendMark(steps, 189, 182, 439, s.classColor[5]);
  steps(193, [&] { pixel(78, 455, 15); });
  steps(194, [&] { printAt(29, 19, rt::spaces(56)); });

  const int32_t left = s.chartLeft - 2, right = s.chartLeft + s.chartWidth + 8;
  const int32_t top = s.chartBaseline - 321, bottom = s.chartBaseline + 20;
  steps(202, [&] { line(left, bottom, right, top, 14, rt::kLineFilledBox); });
  steps(204, [&] { line(left, bottom, right, top, 8, rt::kLineBox); });
  const int32_t gridRaise[5] = {1, 65, 129, 193, 257};
  for (int i = 0; i < 5; ++i) {
    steps(205 + i, [&] {
      int32_t y = s.chartBaseline - gridRaise[i];
      line(s.chartLeft - 5, y, right, y, 7, rt::kLineSegment);
    });
  }
  for (s.hourTick = 0; steps.when(211, [&] { return s.hourTick <= 24; }); ++s.hourTick) {
    steps(212, [&] {
      int32_t x = s.chartLeft + 24 * s.hourTick;
      line(x, s.chartBaseline + 21, x, s.chartBaseline + 24, 8, rt::kLineSegment);
    });
  }
  steps(216, [&] {
    line(left, s.chartBaseline + 120, right, s.chartBaseline + 50, 8, rt::kLineBox);
  });
  steps(219, [&] { setForeground(15); });
  steps(220, [&] {
    printAt(24, 4, text("00    02    04    06    08    10    12    14    16    18    20    22     hrs"));
  });
  const struct {
    int32_t line, row;
    const char* label;
  } scale[] = {{222, 22, "-30"}, {223, 20, "-25"}, {224, 18, "-20"}, {225, 16, "-15"},
               {226, 14, "-10"}, {227, 12, "- 5"}, {228, 10, "  0"}, {229, 8, "+ 5"},
               {230, 6, "+10"},  {231, 4, "+15"},  {232, 3, " dB"},  {233, 23, "SNR"}};
  for (const auto& label : scale) steps(label.line, [&] { printAt(label.row, 1, text(label.label)); });
}

}  // namespace app
