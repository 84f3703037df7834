// The spot plotter's variables: everything its steps read and write, alive for the whole run.
//
// Strings are string-engine descriptors (variables), created by createPlotterState at start.
#pragma once

#include <cstdint>

#include "runtime/core/rt_string.h"
#include "runtime/display/menu_bar.h"

namespace app {

// Polling state of one menu item: its highlight bit at the previous and at the latest poll.
struct MenuItemPoll {
  int32_t previousHighlight = 0;
  int32_t currentHighlight = 0;
};

struct PlotterState {
  // Main program and menu.
  rt::RtString* titleText = nullptr;
  int32_t cycleCount = 0;
  int32_t windowHandle = 0;
  int32_t menuHandle = 0;
  rt::MenuItemRecord blankItemRecord;
  rt::MenuItemRecord menuItemRecord;
  rt::RtString* itemTextBuffer = nullptr;  // fixed length, 1000 bytes
  int32_t itemIndex = 0;
  int32_t editItemId = 0;
  int32_t helpItemId = 0;
  MenuItemPoll editItem;
  MenuItemPoll helpItem;
  int32_t chartLeft = 32;
  int32_t chartWidth = 572;
  int32_t chartBaseline = 345;
  rt::RtString* keyText = nullptr;

  // Settings and the chart frame.
  rt::RtString* logFileName = nullptr;
  rt::RtString* watchedCall[6] = {};
  int32_t classColor[7] = {};  // classes 1..7 at indices 0..6

  // The spot log.
  rt::RtString* spotCall = nullptr;
  rt::RtString* spotTime = nullptr;
  rt::RtString* unusedField = nullptr;  // fields 2, 4 and 6 of a record
  int16_t spotSnr = 0;
  int32_t spotColor = 0;
  int32_t spotMatched = 0;
  rt::RtString* hourText = nullptr;
  rt::RtString* minuteText = nullptr;
  int32_t plotX = 0;
  int32_t plotY = 0;
  rt::RtString* otherCalls = nullptr;
  rt::RtString* seventhCall = nullptr;  // never set: only an empty call sign is class 7
  int32_t hourTick = 0;
};

// Creates the variables with their start values. ProgramThread, before the first step.
PlotterState createPlotterState();

}  // namespace app
