#include "runtime/core/errors.h"

#include <array>
#include <utility>

#include "runtime/core/clock.h"
#include "runtime/core/flag_wait.h"
#include "runtime/core/program_park.h"
#include "runtime/core/shared_flags.h"
#include "runtime/platform/message_box.h"
#include "runtime/platform/process_exit.h"

namespace rt {

std::atomic<uint32_t> pendingError{0};
std::atomic<int32_t> checkpointPending{0};
uint32_t errorLine = 0;

namespace {

uint64_t reportedCount = 0;

}  // namespace

namespace {

constexpr std::array<std::pair<uint32_t, std::string_view>, 68> kMessages{{
    {1, "NEXT without FOR"},
    {2, "Syntax error"},
    {3, "RETURN without GOSUB"},
    {4, "Out of DATA"},
    {5, "Illegal function call"},
    {6, "Overflow"},
    {7, "Out of memory"},
    {8, "Label not defined"},
    {9, "Subscript out of range"},
    {10, "Duplicate definition"},
    {12, "Illegal in direct mode"},
    {13, "Type mismatch"},
    {14, "Out of string space"},
    {16, "String formula too complex"},
    {17, "Cannot continue"},
    {18, "Function not defined"},
    {19, "No RESUME"},
    {20, "RESUME without error"},
    {24, "Device timeout"},
    {25, "Device fault"},
    {26, "FOR without NEXT"},
    {27, "Out of paper"},
    {29, "WHILE without WEND"},
    {30, "WEND without WHILE"},
    {33, "Duplicate label"},
    {35, "Subprogram not defined"},
    {37, "Argument-count mismatch"},
    {38, "Array not defined"},
    {40, "Variable required"},
    {50, "FIELD overflow"},
    {51, "Internal error"},
    {52, "Bad file name or number"},
    {53, "File not found"},
    {54, "Bad file mode"},
    {55, "File already open"},
    {56, "FIELD statement active"},
    {57, "Device I/O error"},
    {58, "File already exists"},
    {59, "Bad record length"},
    {61, "Disk full"},
    {62, "Input past end of file"},
    {63, "Bad record number"},
    {64, "Bad file name"},
    {67, "Too many files"},
    {68, "Device unavailable"},
    {69, "Communication-buffer overflow"},
    {70, "Permission denied"},
    {71, "Disk not ready"},
    {72, "Disk-media error"},
    {73, "Feature unavailable"},
    {74, "Rename across disks"},
    {75, "Path/File access error"},
    {76, "Path not found"},
    {258, "Invalid handle"},
    {300, "Memory region out of range"},
    {301, "Invalid size"},
    {302, "Source memory region out of range"},
    {303, "Destination memory region out of range"},
    {304, "Source and destination memory regions out of range"},
    {305, "Source memory has been freed"},
    {306, "Destination memory has been freed"},
    {307, "Memory already freed"},
    {308, "Memory has been freed"},
    {309, "Memory not initialized"},
    {310, "Source memory not initialized"},
    {311, "Destination memory not initialized"},
    {312, "Source and destination memory not initialized"},
    {313, "Source and destination memory have been freed"},
}};

struct CriticalError {
  std::string caption;
  std::string_view text;
};

// The caption and text of a critical number, or an empty caption when the number is not one.
CriticalError criticalError(int32_t number) {
  switch (number) {
    case 11: return {"Critical Error", "Division by zero"};
    case 256: return {"Critical Error", "Out of stack space"};
    case 257: return {"Critical Error #1", "Out of memory"};
    case 259: return {"Critical Error", "Cannot find dynamic library file"};
    case 260:
    case 261: return {"Critical Error", "Sub/Function does not exist in dynamic library"};
    default: break;
  }
  if (number >= 502 && number <= 518) {
    return {"Critical Error #" + std::to_string(number - 500), "Out of memory"};
  }
  return {};
}

}  // namespace

std::string_view errorMessage(uint32_t number) {
  for (const auto& [code, message] : kMessages) {
    if (code == number) return message;
  }
  return "Unprintable error";
}

bool isMemoryError(uint32_t number) { return number >= 300 && number <= 313; }

std::string errorCaption(uint32_t number) {
  return (isMemoryError(number) ? "Critical Error #" : "Unhandled Error #") + std::to_string(number);
}

std::string errorText(uint32_t number, uint32_t line) {
  std::string text = "Line:" + std::to_string(line) + "\n" + std::string(errorMessage(number));
  if (!isMemoryError(number)) text += "\nContinue?";
  return text;
}

void requestCheckpoint() {
  checkpointPending.store(1, std::memory_order_release);
  wakeFlagWaiters();
}

void raiseError(int32_t number) {
  CriticalError critical = criticalError(number);
  if (!critical.caption.empty()) {
    showMessageBox(critical.caption, critical.text, MessageBoxButtons::Ok);
    endProcess(0);
  }
  if (pendingError.load(std::memory_order_relaxed) != 0) return;  // the first error wins
  if (number <= 0) number = 5;
  pendingError.store(static_cast<uint32_t>(number), std::memory_order_relaxed);
  checkpointPending.store(1, std::memory_order_release);
}

void StatementCheckpoint(int32_t line) {
  // Clearing the flag is a read-modify-write, so it cannot be ordered before the loads below
  // and it reads the latest request: a request whose flag it clears is acquired here (its
  // writer stores presentPaused or exitInProgress first and then checkpointPending with
  // release), and a request set after it leaves checkpointPending at 1 for the next statement.
  checkpointPending.exchange(0, std::memory_order_acq_rel);
  for (;;) {
    // Pairs with the release stores of exitInProgress (exitProcessInOrder) and presentPaused
    // (the Pause key), made before their checkpointPending store.
    if (exitInProgress.load(std::memory_order_acquire) != 0) parkProgramThread();
    if (presentPaused.load(std::memory_order_acquire) == 0) break;
    sleepMs(10);
  }
  if (pendingError.load(std::memory_order_relaxed) != 0) {
    errorLine = static_cast<uint32_t>(line);
    reportError();
  }
  // Timed-event and key traps would be dispatched here; this system registers none.
}

uint64_t errorsReported() { return reportedCount; }

void reportError() {
  ++reportedCount;
  uint32_t number = pendingError.load(std::memory_order_relaxed);
  std::string caption = errorCaption(number);
  std::string text = errorText(number, errorLine);
  if (isMemoryError(number)) {
    showMessageBox(caption, text, MessageBoxButtons::Ok);
    endProcess(0);
  }
  MessageBoxAnswer answer = showMessageBox(caption, text, MessageBoxButtons::YesNo);
  if (answer == MessageBoxAnswer::No || answer == MessageBoxAnswer::Ok) {
    requestStop();
    parkProgramThread();
  }
  pendingError.store(0, std::memory_order_relaxed);
}

}  // namespace rt
