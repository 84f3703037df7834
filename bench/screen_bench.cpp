// Text and drawing throughput on the mode-12 screen: characters printed per second (within the
// viewport, and with every line scrolling), filled boxes and the application's circle markers.
#include <benchmark/benchmark.h>

#include <string>

#include "runtime/core/errors.h"
#include "runtime/core/rt_string.h"
#include "runtime/screen/draw_circle.h"
#include "runtime/screen/draw_line.h"
#include "runtime/screen/image_surface.h"
#include "runtime/screen/screen_mode.h"
#include "runtime/screen/text_output.h"

namespace {

void setUpMode12() {
  rt::pendingError = 0;
  rt::initScreen();
  rt::setScreenMode(12, 0, 0, 0, 0, rt::kGivenMode);
}

std::string printableLine(size_t length) {
  std::string text;
  for (size_t i = 0; i < length; ++i) text += static_cast<char>(' ' + 1 + i % 94);
  return text;
}

// Whole 80-character rows over rows 1..29, no scrolling: the glyph drawing itself.
void BM_PrintStringRows(benchmark::State& state) {
  setUpMode12();
  const std::string line = printableLine(80);
  const rt::RtString text = rt::literalString(line);
  int32_t row = 1;
  for (auto _ : state) {
    rt::locateCursor(row, 1, 0, 0, 0, rt::kLocateRow | rt::kLocateColumn);
    rt::printString(text, 0);
    row = row == 29 ? 1 : row + 1;
  }
  state.SetItemsProcessed(state.iterations() * 80);
  benchmark::DoNotOptimize(rt::writeSurface()->pixels[0]);
}
BENCHMARK(BM_PrintStringRows);

// Short items as the application prints them (fit rule, then the item), every line wrapping.
void BM_PrintStringItems(benchmark::State& state) {
  setUpMode12();
  const std::string item = printableLine(static_cast<size_t>(state.range(0)));
  const rt::RtString text = rt::literalString(item);
  int64_t printed = 0;
  for (auto _ : state) {
    if (rt::writeSurface()->cursorRow == 29) {
      rt::locateCursor(1, 1, 0, 0, 0, rt::kLocateRow | rt::kLocateColumn);
    }
    rt::fitToLine(text);
    rt::printString(text, 0);
    printed += text.length;
  }
  state.SetItemsProcessed(printed);
}
BENCHMARK(BM_PrintStringItems)->Arg(8)->Arg(30);

// A long text on the bottom rows: one scroll of 448 pixel rows per 80 characters.
void BM_PrintStringScrolling(benchmark::State& state) {
  setUpMode12();
  const std::string line = printableLine(800);
  const rt::RtString text = rt::literalString(line);
  rt::locateCursor(29, 1, 0, 0, 0, rt::kLocateRow | rt::kLocateColumn);
  for (auto _ : state) rt::printString(text, 0);
  state.SetItemsProcessed(state.iterations() * 800);
}
BENCHMARK(BM_PrintStringScrolling);

// Filled boxes of the given side; items are pixels.
void BM_FilledBox(benchmark::State& state) {
  setUpMode12();
  const auto side = static_cast<float>(state.range(0));
  uint32_t color = 0;
  for (auto _ : state) {
    rt::drawLine(0, 0, side - 1, side - 1, ++color, rt::kLineFilledBox, 0,
                 rt::kLineFirstPoint | rt::kLineColor);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0) * state.range(0));
}
BENCHMARK(BM_FilledBox)->Arg(8)->Arg(100)->Arg(480);

// The application's spot marker radii; items are circles.
void BM_Circle(benchmark::State& state) {
  setUpMode12();
  const auto radius = static_cast<double>(state.range(0));
  double x = 20;
  for (auto _ : state) {
    rt::drawCircle(x, 240, radius, 0, 0, 0, 14, rt::kCircleColor);
    x = x > 600 ? 20 : x + 1;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Circle)->Arg(1)->Arg(3)->Arg(6)->Arg(100);

// Lines across the screen in every direction; items are lines.
void BM_Line(benchmark::State& state) {
  setUpMode12();
  float t = 0;
  for (auto _ : state) {
    rt::drawLine(320, 240, 320 + 400 * (t - 0.5f), -10, 15, rt::kLineSegment, 0,
                 rt::kLineFirstPoint | rt::kLineColor);
    t = t >= 1 ? 0 : t + 0.01f;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Line);

}  // namespace
