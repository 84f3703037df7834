// Keyboard and mouse events from the window library, and the window-message hook's reports.
//
// The character and special-key callbacks turn freeglut's reports into runtime key codes
// (key_translation.h) and hand them to keyPressed / keyReleased (key_events.h). The hook reports
// what freeglut does not pass on: the close box, Pause, Break, Scroll Lock and Shift+Tab, and
// exposed window areas. Mouse callbacks only record the mouse state for the runtime's mouse
// functions, which this application does not call. DisplayThread only.
#pragma once

#include <cstdint>

namespace rt {

// freeglut character keys, down and up: the Ctrl state from glutGetModifiers adjusts the code.
void onAsciiKey(uint8_t character, bool down);
// freeglut special keys, down and up; keys outside the runtime's table are ignored.
void onSpecialKey(int key, bool down);

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

void onMouseButton(int button, int state, int x, int y);
void onMouseMotion(int x, int y);
void onMouseWheel(int wheel, int direction, int x, int y);

}  // namespace rt
