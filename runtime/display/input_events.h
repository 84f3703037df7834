// Keyboard and mouse events from the window, on DisplayThread.
#pragma once

#include <cstdint>

namespace rt {

// freeglut character keys (down and up) and special keys (down and up).
void onAsciiKey(uint8_t character, bool down);
void onSpecialKey(int key, bool down);

// The window-message hook's reports (close box, Pause, Break, expose).
int onWindowMessage(int kind, int32_t a, int32_t b);

// Mouse state, recorded for the runtime's mouse functions.
struct MouseState {
  int32_t x = 0, y = 0;
  int32_t buttons = 0;  // bit n: button n down
  int32_t wheel = 0;    // accumulated wheel steps
};
MouseState mouseState();

void onMouseButton(int button, int state, int x, int y);
void onMouseMotion(int x, int y);
void onMouseWheel(int wheel, int direction, int x, int y);

}  // namespace rt
