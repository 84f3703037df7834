// A main program for the keyboard end-to-end tests. It names its window before the window
// exists, shows a mode-12 screen with a square whose colour changes every few passes (so a
// frozen picture shows), and appends every key that readKey returns to "keys.log" in its folder,
// one key per line as hexadecimal bytes ("61", "00 3b"). The Caps Lock and Num Lock bits of the
// keyboard status byte (0x40, 0x20) go to "locks.log" in hexadecimal, at start and on each
// change. A file "probe-mode" in its folder
// selects extra behaviour:
//   delay   write "delaying", then wait in one 60-second delay before the key loop
//   rename  once the window exists, change the title and look the window up by the new title
//           at once on a connection of its own; write "renamed" with "found" or "missing"
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>

#include "runtime/core/delay.h"
#include "runtime/core/errors.h"
#include "runtime/core/low_memory.h"
#include "runtime/core/read_key.h"
#include "runtime/core/string_engine.h"
#include "runtime/display/window_state.h"
#include "runtime/display/window_title.h"
#include "runtime/screen/image_surface.h"
#include "runtime/screen/screen_mode.h"
#include "runtime/system/runtime_main.h"

// Last: its macros (None, Bool, ...) would clash with the runtime's names.
#include <X11/Xlib.h>

namespace {

constexpr const char* kTitle = "Ferlang keys probe";
constexpr const char* kRenamedTitle = "Ferlang keys probe renamed";

void writeFile(const char* name, const std::string& text, bool append = false) {
  std::ofstream out(name, append ? std::ios::app : std::ios::trunc);
  out << text;
}

std::string readFile(const char* name) {
  std::ifstream in(name);
  std::string text;
  in >> text;
  return text;
}

std::string hexBytes(const rt::RtString& key) {
  std::string text;
  char byte[4];
  for (char c : key.view()) {
    std::snprintf(byte, sizeof byte, text.empty() ? "%02x" : " %02x", static_cast<unsigned char>(c));
    text += byte;
  }
  return text;
}

// The statement checkpoint, as after each application statement: holds a pause, parks at exit.
void checkpoint() {
  if (rt::checkpointPending != 0) rt::StatementCheckpoint(0);
}

bool topLevelWindowNamed(const char* title) {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return false;
  Window root = DefaultRootWindow(display), parent = 0, *children = nullptr;
  unsigned int count = 0;
  bool found = false;
  if (XQueryTree(display, root, &root, &parent, &children, &count) != 0) {
    for (unsigned int i = 0; i < count && !found; ++i) {
      char* name = nullptr;
      if (XFetchName(display, children[i], &name) != 0 && name != nullptr) {
        found = std::string(name) == title;
        XFree(name);
      }
    }
  }
  if (children != nullptr) XFree(children);
  XCloseDisplay(display);
  return found;
}

void renameOnceTheWindowExists() {
  while (!rt::windowExists.load()) {
    rt::delaySeconds(0.01);
    checkpoint();
  }
  rt::setWindowTitle(rt::literalString(kRenamedTitle));
  writeFile("renamed", topLevelWindowNamed(kRenamedTitle) ? "found" : "missing");
}

void drawSquare(uint32_t color) {
  for (int32_t y = 0; y < 100; ++y) {
    for (int32_t x = 0; x < 100; ++x) rt::writePixel(x, y, color);
  }
}

// The lock bits of the keyboard status byte, appended to locks.log when they differ from `last`.
void noteLockKeys(int& last) {
  uint8_t& status = rt::lowMemory()[rt::kKeyStatusOffset1];
  int locks = std::atomic_ref<uint8_t>(status).load(std::memory_order_relaxed) & 0x60;
  if (locks == last) return;
  char text[8];
  std::snprintf(text, sizeof text, "%02x\n", locks);
  writeFile("locks.log", text, true);
  last = locks;
}

void probe() {
  bool windowAlreadyThere = rt::windowExists.load();
  rt::setWindowTitle(rt::literalString(kTitle));
  writeFile("title-set", windowAlreadyThere ? "after-window" : "before-window");
  std::string mode = readFile("probe-mode");
  rt::setScreenMode(12, 0, 0, 0, 0, rt::kGivenMode);
  checkpoint();
  if (mode == "rename") renameOnceTheWindowExists();
  if (mode == "delay") {
    writeFile("delaying", "1");
    rt::delaySeconds(60);
    writeFile("delay-ended", "1");
  }
  int locks = -1;
  for (uint32_t pass = 0;; ++pass) {
    noteLockKeys(locks);
    int32_t statement = rt::tempStackTop();
    const rt::RtString* key = rt::readKey();
    if (key->length > 0) writeFile("keys.log", hexBytes(*key) + "\n", true);
    rt::releaseTempsAbove(statement);
    drawSquare(2 + (pass / 4) % 12);
    rt::delaySeconds(0.01);
    checkpoint();
  }
}

}  // namespace

int main(int argc, char** argv) { rt::runtimeMain(argc, argv, probe); }
