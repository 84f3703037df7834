// The window: created on the main thread (DisplayThread), which then runs the window
// library's event loop for good.
#pragma once

namespace rt {

// Initialises freeglut (RGBA, double-buffered, depth buffer, 640 x 400), creates the window
// with the stored title, initialises GLEW, registers the callbacks and enters the event loop.
// When that display mode is not possible, or freeglut meets a fatal error (no display, no
// visual), one line goes to standard error and the process ends with status 1
// (endProcessWithError). Never returns.
[[noreturn]] void runWindowLoop(int argc, char** argv);

}  // namespace rt
