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
// Bit 0: the window's close box was used; bit 1: break while the program intercepts closing.
extern std::atomic<uint32_t> closeRequested;
// Bit 0: ProgramThread has parked; bit 1: TimerEventThread has ended. Exit waits for 3.
extern std::atomic<uint32_t> threadsFinished;
// 0 normal; 1 a foreground shell command has started; -1 the last frame before it is built.
extern std::atomic<int32_t> displaySuspended;
// Non-zero: RuntimeLoopThread converts frames automatically; -1 asks to stop after one pass.
extern std::atomic<int32_t> autoDisplay;
// Incremented by RuntimeLoopThread every second pass; text blinking reads its bit 3.
extern std::atomic<uint32_t> frameCounter;
// Set once start-up has launched RuntimeLoopThread; a screen rebuild then takes the
// displayPause handshake with the frame builder.
extern std::atomic<uint8_t> displayRunning;
// Bit 0 set while the user has paused the program (Pause key); any key clears it.
extern std::atomic<uint32_t> presentPaused;
// Non-zero while the program intercepts the close box itself (never in this application).
extern std::atomic<uint8_t> closeInterception;
// Set by parkProgramThread: the application's main program has ended or parked.
extern std::atomic<uint8_t> programEnded;

}  // namespace rt
