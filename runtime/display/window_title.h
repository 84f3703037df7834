// The window title: set by the application on ProgramThread, applied on DisplayThread.
//
// freeglut may only be called on DisplayThread, so setWindowTitle stores the text and, once the
// window exists, waits until DisplayThread's next redisplay tick has passed it to the window
// (at most about 16 ms): a lookup of the window by its title right after the call finds it.
// A title set before the window exists is used when the window is created. A small mutex
// separates the title's writer from window creation and from the tick.
#pragma once

#include <string>

#include "runtime/core/rt_string.h"

namespace rt {

// Sets the title to `text` cut at its first zero byte. ProgramThread; blocks up to one tick.
void setWindowTitle(const RtString& text);

// Start-up on DisplayThread: creates the window with the stored title ("Untitled" when none)
// through `createWindow`, then marks the window as existing, with no title change between.
int createWindowWithTitle(int (*createWindow)(const char* title));

// DisplayThread, each redisplay tick: passes a changed title to the window.
void applyPendingWindowTitle();

// The current title text (tests and diagnostics).
std::string currentWindowTitle();

}  // namespace rt
