#include "tools/x11_driver/x11_driver.h"

#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <thread>

namespace x11driver {
namespace {

// The top-level windows, the topmost first.
std::vector<Window> topLevelWindows(Display* display) {
  Window root = DefaultRootWindow(display), parent = 0, *children = nullptr;
  unsigned int count = 0;
  if (XQueryTree(display, root, &root, &parent, &children, &count) == 0) return {};
  std::vector<Window> windows;
  for (unsigned int i = count; i-- > 0;) windows.push_back(children[i]);
  if (children != nullptr) XFree(children);
  return windows;
}

Window searchTopLevel(Display* display, const std::string& title) {
  for (Window window : topLevelWindows(display)) {
    if (windowName(display, window) == title) return window;
  }
  return 0;
}

int ignoreErrors(Display*, XErrorEvent*) { return 0; }

// PNG pieces: CRC-32 and Adler-32.
uint32_t crc32(const uint8_t* data, size_t size, uint32_t crc = 0) {
  crc = ~crc;
  for (size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  return ~crc;
}

void putBigEndian(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

void putChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
  putBigEndian(out, static_cast<uint32_t>(data.size()));
  std::vector<uint8_t> body(type, type + 4);
  body.insert(body.end(), data.begin(), data.end());
  out.insert(out.end(), body.begin(), body.end());
  putBigEndian(out, crc32(body.data(), body.size()));
}

}  // namespace

Display* openDisplay() {
  XSetErrorHandler(ignoreErrors);
  // A busy server can refuse a connection for a moment while other clients come and go.
  for (int attempt = 0; attempt < 40; ++attempt) {
    if (Display* display = XOpenDisplay(nullptr)) return display;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return nullptr;
}

Window findWindow(Display* display, const std::string& title, int timeoutMs) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    Window window = searchTopLevel(display, title);
    if (window != 0 || std::chrono::steady_clock::now() > deadline) return window;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

std::vector<NamedWindow> windowsNamedFrom(Display* display, const std::string& prefix) {
  std::vector<NamedWindow> found;
  for (Window window : topLevelWindows(display)) {
    std::string name = windowName(display, window);
    if (name.rfind(prefix, 0) == 0) found.push_back({window, std::move(name)});
  }
  return found;
}

Size windowSize(Display* display, Window window) {
  XWindowAttributes attributes;
  if (XGetWindowAttributes(display, window, &attributes) == 0) return {};
  return {attributes.width, attributes.height};
}

void moveToOrigin(Display* display, Window window) {
  XMoveWindow(display, window, 0, 0);
  XSync(display, False);
}

Picture capture(Display* display, Window window) {
  Picture picture;
  Size size = windowSize(display, window);
  if (size.width == 0) return picture;
  XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(size.width),
                            static_cast<unsigned>(size.height), AllPlanes, ZPixmap);
  if (image == nullptr) return picture;
  picture.width = size.width;
  picture.height = size.height;
  picture.pixels.resize(static_cast<size_t>(size.width) * size.height);
  for (int y = 0; y < size.height; ++y) {
    for (int x = 0; x < size.width; ++x) {
      picture.pixels[static_cast<size_t>(y) * size.width + x] =
          static_cast<uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFF;
    }
  }
  XDestroyImage(image);
  return picture;
}

void sendClose(Display* display, Window window) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, window, False, NoEventMask, &event);
  // Carried out before the return: a busy server may notice a caller that ends at once
  // (x11-driver close) hanging up before it reads the request, and then drops it.
  XSync(display, False);
}

void typeKey(Display* display, Window window, unsigned long keysym) {
  typeKeyWith(display, window, {}, keysym);
}

void typeKeyWith(Display* display, Window window, const std::vector<unsigned long>& modifiers,
                 unsigned long keysym) {
  XSetInputFocus(display, window, RevertToParent, CurrentTime);
  for (unsigned long modifier : modifiers) sendKey(display, modifier, true);
  sendKey(display, keysym, true);
  sendKey(display, keysym, false);
  for (auto modifier = std::rbegin(modifiers); modifier != std::rend(modifiers); ++modifier) {
    sendKey(display, *modifier, false);
  }
}

void sendKey(Display* display, unsigned long keysym, bool down) {
  KeyCode code = XKeysymToKeycode(display, keysym);
  XTestFakeKeyEvent(display, code, down ? True : False, CurrentTime);
  XFlush(display);
}

std::string windowName(Display* display, Window window) {
  char* name = nullptr;
  if (XFetchName(display, window, &name) == 0 || name == nullptr) return {};
  std::string result = name;
  XFree(name);
  return result;
}

Window focusedWindow(Display* display) {
  Window focus = 0;
  int revertTo = 0;
  XGetInputFocus(display, &focus, &revertTo);
  return focus;
}

void clickAt(Display* display, Window window, int x, int y) {
  Window root = DefaultRootWindow(display), child = 0;
  int rootX = 0, rootY = 0;
  XTranslateCoordinates(display, window, root, x, y, &rootX, &rootY, &child);
  XTestFakeMotionEvent(display, DefaultScreen(display), rootX, rootY, CurrentTime);
  XTestFakeButtonEvent(display, Button1, True, CurrentTime);
  XTestFakeButtonEvent(display, Button1, False, CurrentTime);
  XFlush(display);
}

bool writePng(const std::string& path, const Picture& picture) {
  std::vector<uint8_t> raw;  // filter byte 0, then RGB per row
  for (int y = 0; y < picture.height; ++y) {
    raw.push_back(0);
    for (int x = 0; x < picture.width; ++x) {
      uint32_t p = picture.at(x, y);
      raw.push_back(static_cast<uint8_t>(p >> 16));
      raw.push_back(static_cast<uint8_t>(p >> 8));
      raw.push_back(static_cast<uint8_t>(p));
    }
  }
  std::vector<uint8_t> zlib = {0x78, 0x01};
  for (size_t at = 0; at < raw.size() || at == 0;) {
    size_t block = std::min<size_t>(65535, raw.size() - at);
    bool last = at + block == raw.size();
    zlib.push_back(last ? 1 : 0);
    zlib.push_back(static_cast<uint8_t>(block));
    zlib.push_back(static_cast<uint8_t>(block >> 8));
    zlib.push_back(static_cast<uint8_t>(~block));
    zlib.push_back(static_cast<uint8_t>(~block >> 8));
    zlib.insert(zlib.end(), raw.begin() + static_cast<ptrdiff_t>(at),
                raw.begin() + static_cast<ptrdiff_t>(at + block));
    at += block;
    if (last) break;
  }
  uint32_t a = 1, b = 0;
  for (uint8_t byte : raw) a = (a + byte) % 65521, b = (b + a) % 65521;
  putBigEndian(zlib, b << 16 | a);

  std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> header;
  putBigEndian(header, static_cast<uint32_t>(picture.width));
  putBigEndian(header, static_cast<uint32_t>(picture.height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB
  putChunk(png, "IHDR", header);
  putChunk(png, "IDAT", zlib);
  putChunk(png, "IEND", {});
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  bool ok = std::fwrite(png.data(), 1, png.size(), file) == png.size();
  return std::fclose(file) == 0 && ok;
}

std::string stringProperty(Display* display, Window window, const char* name) {
  Atom property = XInternAtom(display, name, True);
  if (property == None) return {};
  Atom type = None;
  int format = 0;
  unsigned long items = 0, remaining = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(display, window, property, 0, 65536, False, AnyPropertyType, &type, &format,
                         &items, &remaining, &data) != Success || data == nullptr) {
    return {};
  }
  std::string value(reinterpret_cast<char*>(data), format == 8 ? items : 0);
  XFree(data);
  return value;
}

}  // namespace x11driver
