// A main program for the keyboard tests of the Windows build, started under Wine by
// keys_wine_test.cpp. It shows a mode-12 screen with a square whose colour changes every few
// passes (so a frozen picture shows), and appends every key that readKey returns to "keys.log"
// in its folder, one key per line as hexadecimal bytes ("61", "00 3b").
#include <cstdio>
#include <fstream>
#include <string>

#include "runtime/core/delay.h"
#include "runtime/core/errors.h"
#include "runtime/core/read_key.h"
#include "runtime/core/string_engine.h"
#include "runtime/display/window_title.h"
#include "runtime/screen/image_surface.h"
#include "runtime/screen/screen_mode.h"
#include "runtime/system/runtime_main.h"

namespace {

constexpr const char* kTitle = "Ferlang keys probe";

std::string hexBytes(const rt::RtString& key) {
  std::string text;
  char byte[4];
  for (char c : key.view()) {
    std::snprintf(byte, sizeof byte, text.empty() ? "%02x" : " %02x", static_cast<unsigned char>(c));
    text += byte;
  }
  return text;
}

void drawSquare(uint32_t color) {
  for (int32_t y = 0; y < 100; ++y) {
    for (int32_t x = 0; x < 100; ++x) rt::writePixel(x, y, color);
  }
}

void probe() {
  rt::setWindowTitle(rt::literalString(kTitle));
  rt::setScreenMode(12, 0, 0, 0, 0, rt::kGivenMode);
  for (uint32_t pass = 0;; ++pass) {
    int32_t statement = rt::tempStackTop();
    const rt::RtString* key = rt::readKey();
    if (key->length > 0) {
      std::ofstream("keys.log", std::ios::app | std::ios::binary) << hexBytes(*key) << "\n";
    }
    rt::releaseTempsAbove(statement);
    drawSquare(2 + (pass / 4) % 12);
    rt::delaySeconds(0.01);
    // The statement checkpoint, as after each application statement: holds a pause, parks at
    // exit.
    if (rt::checkpointPending != 0) rt::StatementCheckpoint(0);
  }
}

}  // namespace

int main(int argc, char** argv) { rt::runtimeMain(argc, argv, probe); }
