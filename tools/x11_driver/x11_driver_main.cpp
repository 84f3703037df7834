// x11-driver: command-line use of the X11 test driver.
//   x11-driver screenshot <window title> <file.png>   waits up to 10 s for the window
//   x11-driver close <window title>                   sends the close message
//   x11-driver gone <window title>                    waits up to 10 s until no window has the
//                                                     title (the X server destroys an ended
//                                                     program's window a moment after it ends)
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "tools/x11_driver/x11_driver.h"

namespace {

// Waits up to ten seconds until no window carries `title`; 0 when none does, else 1.
int waitUntilGone(Display* display, const char* title) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (x11driver::findWindow(display, title, 0) != 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      std::fprintf(stderr, "x11-driver: a window named \"%s\" stays\n", title);
      return 1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: x11-driver screenshot <title> <file.png> | close <title> | gone <title>\n");
    return 2;
  }
  Display* display = x11driver::openDisplay();
  if (display == nullptr) {
    std::fprintf(stderr, "x11-driver: no display\n");
    return 1;
  }
  if (std::strcmp(argv[1], "gone") == 0) return waitUntilGone(display, argv[2]);
  Window window = x11driver::findWindow(display, argv[2], 10000);
  if (window == 0) {
    std::fprintf(stderr, "x11-driver: no window named \"%s\"\n", argv[2]);
    return 1;
  }
  if (std::strcmp(argv[1], "close") == 0) {
    x11driver::sendClose(display, window);
    return 0;
  }
  if (std::strcmp(argv[1], "screenshot") == 0 && argc == 4) {
    x11driver::moveToOrigin(display, window);
    x11driver::Picture picture = x11driver::capture(display, window);
    if (picture.pixels.empty() || !x11driver::writePng(argv[3], picture)) {
      std::fprintf(stderr, "x11-driver: could not capture the window\n");
      return 1;
    }
    return 0;
  }
  std::fprintf(stderr, "x11-driver: unknown command %s\n", argv[1]);
  return 2;
}
