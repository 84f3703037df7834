// The window title: set by the application on ProgramThread, applied on DisplayThread.
//
// freeglut may only be called on DisplayThread, so setWindowTitle stores the text and, once the
// window exists, wakes DisplayThread (wakePresenter) and waits until its presenter pass has
// passed it to the window and the window system has carried it out: a lookup of
// the window by its title right after the call finds it. A title set before the window exists
// is used when the window is created. A small mutex separates the title's writer from window
// creation and from the presenter pass, so creation never reads a title that is being replaced.
#pragma once

#include <string>

#include "runtime/core/rt_string.h"

namespace rt {

// Sets the title to `text` cut at its first zero byte; nothing while an error is pending.
// ProgramThread; blocks up to one redisplay tick once the window exists (at most about 1 s when
// DisplayThread does not answer; at once when the process is exiting).
void setWindowTitle(const RtString& text);

// Start-up on DisplayThread: creates the window with the stored title ("Untitled" when none)
// through `createWindow`, then marks the window as existing, with no title change between.
// `showTitle` passes later titles to the window (called by applyPendingWindowTitle) and returns
// once the window system has them.
int createWindowWithTitle(int (*createWindow)(const char* title),
                          void (*showTitle)(const char* title));

// DisplayThread, each redisplay tick: passes a changed title to the window.
void applyPendingWindowTitle();

// The current title text (tests and diagnostics); empty when none was set.
std::string currentWindowTitle();

// Forgets the title and the window (tests).
void resetWindowTitleForTesting();

}  // namespace rt
