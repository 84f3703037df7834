// A fixture for drawing tests: a fresh mode-12 screen (640 x 480, 16 colours, 80 x 30 text) as
// the write surface, no pending error, and helpers that read its pixels back.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <string_view>
#include <utility>

#include "runtime/core/errors.h"
#include "runtime/screen/image_surface.h"
#include "runtime/screen/screen_mode.h"
#include "runtime/screen/text_output.h"
#include "tests/support/runtime_test.h"

namespace rt::testing {

using Pixel = std::pair<int, int>;  // (x, y)

class Mode12Test : public RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    initScreen();
    setScreenMode(12, 0, 0, 0, 0, kGivenMode);
    ASSERT_NE(writeSurface(), nullptr);
  }
  // Frees every surface, so that nothing the test made outlives it.
  void TearDown() override {
    resetSurfaceTable();
    RuntimeTest::TearDown();
  }

  ImageSurface& screen() { return *writeSurface(); }

  uint8_t pixel(int x, int y) {
    return screen().pixels[static_cast<size_t>(y) * 640 + static_cast<size_t>(x)];
  }

  // Every pixel whose value is not 0, optionally limited to a rectangle.
  std::set<Pixel> litPixels(int x1 = 0, int y1 = 0, int x2 = 639, int y2 = 479) {
    std::set<Pixel> lit;
    for (int y = y1; y <= y2; ++y) {
      for (int x = x1; x <= x2; ++x) {
        if (pixel(x, y) != 0) lit.insert({x, y});
      }
    }
    return lit;
  }

  // Pixels of text cell (row, column), both 1-based, as 16 rows of 8 values.
  bool cellIsBlank(int row, int column) {
    return litPixels(8 * (column - 1), 16 * (row - 1), 8 * column - 1, 16 * row - 1).empty();
  }

  void fill(uint8_t value) {
    std::fill_n(screen().pixels, 640 * 480, value);
  }

  void print(std::string_view text, int32_t newline = 0) {
    printString(literalString(text), newline);
  }

  void locate(int32_t row, int32_t column) {
    locateCursor(row, column, 0, 0, 0, kLocateRow | kLocateColumn);
  }

  Pixel cursor() { return {screen().cursorColumn, screen().cursorRow}; }
};

}  // namespace rt::testing
