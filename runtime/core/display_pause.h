// The handshake by which the program thread pauses the frame builder around a screen rebuild,
// and the flags that tell the builder to convert the next frame in full.
//
// The program thread requests the pause, waits until the builder (on RuntimeLoopThread)
// acknowledges it, frees and replaces the screen, then lets the builder run again. The
// acknowledging store is a release and the waiting load an acquire, so the builder's last
// reads of the old surface happen before it is freed.
#pragma once

#include <atomic>
#include <cstdint>

namespace rt {

enum class DisplayPause : int32_t {
  Running = 0,       // the builder converts frames
  Requested = 1,     // set by ProgramThread
  Acknowledged = 2,  // set by the builder: it no longer reads the surface until Running
};

extern std::atomic<DisplayPause> displayPause;
// 1 after each published frame; cleared by a screen rebuild so the next frame converts fully.
extern std::atomic<int32_t> previousFrameValid;
// Set by a full-screen change: the next pass rebuilds even an unchanged screen.
extern std::atomic<int32_t> forceFrameRebuild;

// Requests the pause and waits (yielding) until the builder acknowledges it. When the process
// starts exiting meanwhile (the builder may never run again), the thread parks instead and
// this does not return. ProgramThread.
void pauseFrameBuilder();
// Lets the builder run again. ProgramThread.
void resumeFrameBuilder();
// Acknowledges a requested pause; true when it did. RuntimeLoopThread, at the start and end of
// every builder pass and on passes where no frame is built.
bool acknowledgeFramePause();

}  // namespace rt
