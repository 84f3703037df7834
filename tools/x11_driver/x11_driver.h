// A small X11 driver for end-to-end tests and screenshots: finds a window by its title, reads
// its pixels, sends it the close message, types keys and clicks with XTest.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <string>
#include <vector>

namespace x11driver {

struct Picture {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;  // 0x00RRGGBB, row-major
  uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// Opens the display named by $DISPLAY; nullptr when there is none.
Display* openDisplay();

// The top-level window whose name is `title`, waiting up to `timeoutMs`; 0 when none appears.
Window findWindow(Display* display, const std::string& title, int timeoutMs);

// The top-level windows whose names start with `prefix`, with their names.
struct NamedWindow {
  Window window = 0;
  std::string name;
};
std::vector<NamedWindow> windowsNamedFrom(Display* display, const std::string& prefix);

// The window's size, {0, 0} when it is gone.
struct Size {
  int width = 0, height = 0;
};
Size windowSize(Display* display, Window window);

// Moves the window to the screen's top-left (no window manager: takes effect at once) so that
// all of it can be read.
void moveToOrigin(Display* display, Window window);

// Reads the window's pixels; an empty picture when that fails.
Picture capture(Display* display, Window window);

// Sends WM_DELETE_WINDOW, as a window manager's close box does; the server has delivered it
// when this returns.
void sendClose(Display* display, Window window);

// Gives the window the keyboard focus and types the key with `keysym` (press and release).
void typeKey(Display* display, Window window, unsigned long keysym);

// Gives the window the keyboard focus and types the key with `keysym` while the keys with
// `modifiers` (keysyms such as XK_Control_L) are held: modifiers down in order, the key down
// and up, modifiers up in reverse order.
void typeKeyWith(Display* display, Window window, const std::vector<unsigned long>& modifiers,
                 unsigned long keysym);

// Presses (`down`) or releases the key with `keysym`, wherever the focus is.
void sendKey(Display* display, unsigned long keysym, bool down);

// The window's name (empty when it has none or is gone).
std::string windowName(Display* display, Window window);

// A STRING property of the window (such as the message of a Ferlang dialog), empty when absent.
std::string stringProperty(Display* display, Window window, const char* name);

// The window that has the keyboard focus (0 for none, 1 for "the window under the pointer").
Window focusedWindow(Display* display);

// Moves the pointer to (x, y) in the window's coordinates and clicks the left button there.
void clickAt(Display* display, Window window, int x, int y);

// Writes the picture as a PNG file (uncompressed deflate blocks). False on failure.
bool writePng(const std::string& path, const Picture& picture);

}  // namespace x11driver
