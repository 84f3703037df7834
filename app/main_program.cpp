#include "app/main_program.h"

#include <chrono>
#include <thread>

#include "app/chart_frame.h"
#include "app/refresh_resume.h"
#include "app/spot_log.h"
#include "app/text_helpers.h"
#include "runtime/core/delay.h"
#include "runtime/core/read_key.h"
#include "runtime/core/statement.h"
#include "runtime/display/menu_bar.h"
#include "runtime/display/window_title.h"
#include "runtime/files/file_open.h"
#include "runtime/screen/palette.h"
#include "runtime/screen/screen_mode.h"
#include "runtime/screen/text_output.h"
#include "runtime/system/program_end.h"
#include "runtime/system/shell_launch.h"

namespace app {
namespace {

constexpr const char* kTitle = "Morvik Ferlang V0.03 18/11/17";
RedrawWatcher redrawWatcher = nullptr;

// Lines 79 to 89 (and 92 to 102): one item inserted from a fresh copy of the blank record.
void insertItem(rt::Steps& steps, PlotterState& s, int32_t firstLine, const char* caption, int32_t& itemId) {
  rt::MenuItemRecord& record = s.menuItemRecord;
  steps(firstLine, [&] { record = s.blankItemRecord; });
  steps(firstLine + 1, [&] { s.itemIndex = rt::getMenuItemCount(s.menuHandle); });
  steps(firstLine + 2, [&] { record.fMask = 19; });
  steps(firstLine + 3, [&] { record.fType = 0; });
  steps(firstLine + 4, [&] { record.fState = 0; });
  steps(firstLine + 5, [&] { record.wID = static_cast<uint32_t>(s.itemIndex); });
  steps(firstLine + 6, [&] {
    rt::assignString(s.itemTextBuffer, rt::concatStrings(text(caption), rt::charString(0)));
  });
  steps(firstLine + 7, [&] { record.dwTypeData = rt::menuTextAddress(s.itemTextBuffer->text); });
  steps(firstLine + 8, [&] { record.cch = 4; });
  steps(firstLine + 9, [&] { itemId = static_cast<int32_t>(record.wID); });
  steps(firstLine + 10, [&] { rt::insertMenuItem(s.menuHandle, s.itemIndex, 1, &record); });
}

// Lines 121 to 125 (and 130 to 134): a rising edge of the item's highlight bit opens `file`
// in the desktop's text editor.
void pollItem(rt::Steps& steps, PlotterState& s, int32_t firstLine, int32_t itemId, MenuItemPoll& poll,
              const char* file) {
  steps(firstLine, [&] { poll.previousHighlight = poll.currentHighlight; });
  steps(firstLine + 1, [&] { rt::getMenuItemInfo(s.menuHandle, itemId, 1, &s.menuItemRecord); });
  steps(firstLine + 2, [&] {
    poll.currentHighlight = static_cast<int32_t>(s.menuItemRecord.fState & rt::kMenuItemHighlighted);
  });
  if (steps.when(firstLine + 3, [&] { return poll.previousHighlight == 0 && poll.currentHighlight != 0; })) {
    steps(firstLine + 4, [&] { rt::openInTextEditor(*text(file)); });
  }
}

}  // namespace

void startUp(rt::Steps& steps, PlotterState& s) {
  // The menu functions are part of the runtime here; nothing needs looking up first.
  steps(14, [&] { rt::assignString(s.titleText, text(kTitle)); });
  steps(15, [&] { rt::setWindowTitle(*s.titleText); });
  steps(62, [&] { s.cycleCount = 99; });
  steps(72, [&] { rt::delaySeconds(1); });
  steps(73, [&] { s.windowHandle = rt::findWindow(*rt::concatStrings(s.titleText, rt::charString(0))); });
  steps(76, [&] {
    s.menuHandle = rt::createMenu();
    s.blankItemRecord.cbSize = 44;
  });
  insertItem(steps, s, 79, "Edit setup file", s.editItemId);
  insertItem(steps, s, 92, "Help", s.helpItemId);
  steps(106, [&] { rt::setMenu(s.windowHandle, s.menuHandle); });
  prepareChartScreen(steps, s);
}

void startHeadless(rt::Steps& steps, PlotterState& s) {
  steps(14, [&] { rt::assignString(s.titleText, text(kTitle)); });
  steps(62, [&] { s.cycleCount = 99; });
  prepareChartScreen(steps, s);
}

void prepareChartScreen(rt::Steps& steps, PlotterState& s) {
  steps(108, [&] {
    rt::setScreenMode(12, 0, 0, 0, 0, rt::kGivenMode);
    rt::clearScreen(0, 0, 0);
  });
  steps(109, [&] { rt::setPaletteEntry(0, 0x333E3F, 1); });
  steps(110, [&] { rt::setPaletteEntry(14, 0x3F3F3F, 1); });
  steps(111, [&] { rt::setPaletteEntry(15, 0, 1); });
  steps(112, [&] {
    s.chartLeft = 32;
    s.chartWidth = 572;
  });
  steps(113, [&] { s.chartBaseline = 345; });
}

void refreshPass(rt::Steps& steps, PlotterState& s) {
  pollItem(steps, s, 121, s.editItemId, s.editItem, "Ferlang.set");
  pollItem(steps, s, 130, s.helpItemId, s.helpItem, "Ferlang Help.txt");
  countPassAndRedraw(steps, s);
  steps(295, [&] { rt::assignString(s.keyText, rt::readKey()); });
  if (steps.when(296, [&] { return rt::stringsEqual(s.keyText, rt::charString(27)) != 0; })) {
    rt::endProgram();
  }
  steps(298, [&] { rt::delaySeconds(0.1); });
  steps(299, [&] { rt::closeFile(1); });
}

void headlessPass(rt::Steps& steps, PlotterState& s) {
  countPassAndRedraw(steps, s);
  steps(298, [] { std::this_thread::sleep_for(std::chrono::milliseconds(100)); });
  steps(299, [&] { rt::closeFile(1); });
}

void watchRedraws(RedrawWatcher watcher) { redrawWatcher = watcher; }

void countPassAndRedraw(rt::Steps& steps, PlotterState& s) {
  steps(142, [&] { ++s.cycleCount; });
  // A redraw that can take up where the last one ended skips the settings, the frame and the
  // records already drawn: they would paint the same pixels again (refresh_resume.h).
  const bool takenUp = s.cycleCount == 100 && refreshResume().takeUp(steps, s);
  if (steps.when(143, [&] { return s.cycleCount == 100 && !takenUp; })) {
    readSettings(steps, s);
    drawChartFrame(steps, s);
  }
  if (steps.when(240, [&] { return s.cycleCount == 100; })) {
    steps(241, [&] { s.cycleCount = 0; });
    if (!takenUp) openSpotLog(steps, s);
    plotRecords(steps, s);
    refreshResume().noteEnd(s);
  }
}

void mainProgram() {
  PlotterState s = createPlotterState();
  rt::Steps steps;
  startUp(steps, s);
  for (;;) {
    refreshPass(steps, s);
    if (redrawWatcher != nullptr && s.cycleCount == 0) redrawWatcher(s);
  }
}

}  // namespace app
