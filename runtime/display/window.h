// The window: created on the main thread (DisplayThread), which then runs the window's event
// loop for good. Linux: freeglut with OpenGL (window.cpp); Windows: the runtime's own Win32
// window (window_win32.cpp).
#pragma once

namespace rt {

// Creates the window (client area 640 x 400 until the first frame) with the stored title and
// enters the event loop. freeglut: RGBA, double-buffered, with a depth buffer, GLEW initialised;
// when that display mode is not possible, or freeglut meets a fatal error (no display, no
// visual), one line goes to standard error and the process ends with status 1
// (endProcessWithError). Win32: a window class of its own, a 16 ms presentation timer; a window
// that cannot be created ends the process the same way. Never returns.
[[noreturn]] void runWindowLoop(int argc, char** argv);

}  // namespace rt
