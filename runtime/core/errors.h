// Numbered runtime errors and the statement checkpoint.
//
// A failing runtime operation calls raiseError and returns a neutral result. The number stays
// pending (and every runtime operation is inert) until the application's statement ends and its
// StatementCheckpoint shows the "Unhandled Error #" dialog. Critical numbers end the process at
// once from raiseError itself. The checkpoint also holds the program thread while the user has
// paused the program and parks it when the process is exiting.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

namespace rt {

// The pending error number; 0 = none. ProgramThread.
extern std::atomic<uint32_t> pendingError;
// 1 = run StatementCheckpoint after the current statement. Set by errors, the pause key,
// exit and timed events; cleared only by the checkpoint.
extern std::atomic<int32_t> checkpointPending;
// Line number of the statement whose error is being reported. ProgramThread.
extern uint32_t errorLine;

// True while an error is pending: runtime operations test this first and return at once.
inline bool errorIsPending() { return pendingError.load(std::memory_order_relaxed) != 0; }

// Sets checkpointPending from another thread (the pause key, exit) and wakes ProgramThread if it
// sleeps in a delay, so that the checkpoint runs at once. Any thread.
void requestCheckpoint();

// Records error `number` (0 or negative becomes 5); the first error of a statement wins.
// Critical numbers show their message box and end the process; then it never returns.
void raiseError(int32_t number);

// Runs after an application statement when checkpointPending is set (and in runtime wait loops
// with line 0): holds the thread while paused, parks it at exit, reports a pending error.
// ProgramThread; blocks while paused or while the dialog is open.
void StatementCheckpoint(int32_t line);

// Shows the dialog for pendingError; called only by the checkpoint. "No" ends the program.
void reportError();

// How many errors have been reported (dialogs shown) since the start. ProgramThread.
uint64_t errorsReported();

// The message for a numbered error, or "Unprintable error".
std::string_view errorMessage(uint32_t number);

// True for 300..313, the memory errors reported with OK only.
bool isMemoryError(uint32_t number);

// The dialog's caption and text for `number` raised at `line` (what reportError shows).
std::string errorCaption(uint32_t number);
std::string errorText(uint32_t number, uint32_t line);

}  // namespace rt
