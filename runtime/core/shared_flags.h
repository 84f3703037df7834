// Shared flags: the plain words by which the runtime's threads hand over control.
//
// Each flag has one writer (or a small, named set of writers) and is polled by the others with
// short sleeps; no lock guards them. Flags whose readers only poll use relaxed ordering. The
// exit handshake (threadsFinished, exitInProgress) uses release stores and acquire loads so
// that closing the files on RuntimeLoopThread follows the parking of ProgramThread.
#pragma once

#include <atomic>
#include <cstdint>

namespace rt {

// The program wants to stop; RuntimeLoopThread ends its loop. Written by endProgram, the break
// key and the error dialog's "No".
extern std::atomic<uint8_t> stopRequested;
// Exit has begun; ProgramThread parks at its next checkpoint or wait loop. RuntimeLoopThread.
extern std::atomic<uint8_t> exitInProgress;
// Bits of closeRequested.
inline constexpr uint32_t kCloseBoxUsed = 1;
inline constexpr uint32_t kBreakWhileIntercepting = 2;
// Why the program should close (kCloseBoxUsed, kBreakWhileIntercepting); 0 = no reason.
extern std::atomic<uint32_t> closeRequested;
// Set stopRequested, or a reason bit of closeRequested, and wake RuntimeLoopThread, which then
// ends the process without finishing its sleep. Any thread.
void requestStop();
void requestClose(uint32_t reason);

// Bits of threadsFinished: exit waits until both are set.
inline constexpr uint32_t kProgramParked = 1;
inline constexpr uint32_t kTimerEventsEnded = 2;
inline constexpr uint32_t kAllThreadsFinished = kProgramParked | kTimerEventsEnded;
extern std::atomic<uint32_t> threadsFinished;

// Whether RuntimeLoopThread builds frames while a foreground shell command runs.
enum class DisplaySuspension : int32_t {
  None = 0,             // frames are built as usual
  CommandStarted = 1,   // set by the shell launch: build one last frame, then stop
  LastFrameBuilt = -1,  // set by RuntimeLoopThread: no frames until the command has ended
};
extern std::atomic<DisplaySuspension> displaySuspended;
// Non-zero: RuntimeLoopThread converts frames automatically; -1 asks to stop after one pass.
extern std::atomic<int32_t> autoDisplay;
// Incremented by RuntimeLoopThread every pass (32 ms); text blinking reads its bit 3.
extern std::atomic<uint32_t> frameCounter;
// Set once start-up has launched RuntimeLoopThread; a screen rebuild then takes the
// displayPause handshake with the frame builder.
extern std::atomic<uint8_t> displayRunning;
// Bit 0 set while the user has paused the program (Pause key); any key clears it.
extern std::atomic<uint32_t> presentPaused;
// Non-zero while the program intercepts the close box itself (never in this application).
extern std::atomic<uint8_t> closeInterception;

}  // namespace rt
