// Window messages and mouse events, as every platform's window reports them.
//
// Keys reach the runtime as runtime key codes (key_translation.h) through keyPressed /
// keyReleased (key_events.h): the freeglut window's callbacks (window.cpp) and the Win32
// window procedure (input_events_win32.cpp) reduce their key reports to those codes. What the
// window library does not pass on arrives here as a window message: the close box, Pause,
// Break, Scroll Lock and Shift+Tab, and exposed window areas (from the X11 hook, or from the
// Win32 window procedure, which sees them itself). Mouse events only record the mouse state for
// the runtime's mouse functions, which this application does not call. DisplayThread only.
#pragma once

#include <cstdint>

namespace rt {

// The window-message hook's reports (see window_hook.h for the kinds). 0 when handled, else -1.
int onWindowMessage(int kind, int32_t a, int32_t b);

// Mouse state, recorded for the runtime's mouse functions.
struct MouseState {
  int32_t x = 0, y = 0;
  int32_t buttons = 0;  // bit n: button n down
  int32_t wheel = 0;    // accumulated wheel steps
};
// The latest recorded state. Any thread.
MouseState mouseState();

// Button 0 left, 1 middle, 2 right went down (`down`) or up at client pixel (x, y).
void onMouseButton(int button, bool down, int x, int y);
void onMouseMotion(int x, int y);
// One wheel step: direction +1 away from the user, -1 towards (`wheel` is the wheel's number).
void onMouseWheel(int wheel, int direction, int x, int y);

}  // namespace rt
