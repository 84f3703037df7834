// The window: created on the main thread (DisplayThread), which then runs the window
// library's event loop for good.
#pragma once

namespace rt {

// Initialises freeglut (RGBA, double-buffered, depth buffer, 640 x 400), ends the process with
// status 1 when that display mode is not possible, creates the window with the stored title,
// initialises GLEW, registers the callbacks and enters the event loop. Never returns.
[[noreturn]] void runWindowLoop(int argc, char** argv);

}  // namespace rt
