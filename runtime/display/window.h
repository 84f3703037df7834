// The window: created on the main thread (DisplayThread), which then runs the window's event
// loop for good. Linux: freeglut with OpenGL (window.cpp); Windows: the runtime's own Win32
// window (window_win32.cpp).
#pragma once

namespace rt {

// Start-up, before any other thread exists: settings of the window system's libraries that
// must be made before they load (Linux: the OpenGL library's shader cache stays off, so that
// none of its threads can hold up the end of the process). Win32: nothing.
void prepareWindowLibrary();

// Creates the window (client area 640 x 400 until the first frame) with the stored title and
// enters the event loop. freeglut: RGBA, double-buffered, with a depth buffer, GLEW initialised;
// when that display mode is not possible, or freeglut meets a fatal error (no display, no
// visual), one line goes to standard error and the process ends with status 1
// (endProcessWithError). Win32: a window class of its own; a window that cannot be created ends
// the process the same way. Never returns.
[[noreturn]] void runWindowLoop(int argc, char** argv);

// Asks DisplayThread for a presenter pass: it passes a changed title to the window and draws
// the newest frame if something has changed (a frame, the menu strip, a full-screen request).
// The window's thread sleeps until then, so whoever changes one of these calls this afterwards.
// Any thread; does nothing before the window exists.
void wakePresenter();

}  // namespace rt
