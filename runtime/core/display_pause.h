// The handshake by which the program thread pauses the frame builder around a screen rebuild,
// and the flags that tell the builder to convert the next frame in full.
//
// displayPause: 0 running, 1 pause requested (ProgramThread), 2 acknowledged (frame builder on
// RuntimeLoopThread). The program thread sets 1, spins until it reads 2, frees and replaces the
// screen, then writes 0. The acknowledging store is a release and the spinning load an
// acquire, so the builder's last reads of the old surface happen before it is freed.
#pragma once

#include <atomic>
#include <cstdint>

namespace rt {

extern std::atomic<int32_t> displayPause;
// 1 after each published frame; cleared by a screen rebuild so the next frame converts fully.
extern std::atomic<int32_t> previousFrameValid;
// Set by a full-screen change: the next pass rebuilds even an unchanged screen.
extern std::atomic<int32_t> forceFrameRebuild;

// Requests the pause and waits (yielding) until the builder acknowledges it. ProgramThread.
void pauseFrameBuilder();
// Lets the builder run again. ProgramThread.
void resumeFrameBuilder();

}  // namespace rt
