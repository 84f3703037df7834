// Recorded text cells must never change what can be seen: every scenario runs twice on a fresh
// mode-12 screen, once with glyphs drawn at once (the reference) and once with cells recorded,
// and the picture (the pixels with the recorded cells drawn over a copy of them, as the frame
// builder shows it) must equal the reference pixel for pixel at the end.
#include "runtime/screen/cell_records.h"

#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <string>
#include <vector>

#include "runtime/screen/draw_circle.h"
#include "runtime/screen/draw_line.h"
#include "runtime/screen/draw_pixel.h"
#include "runtime/screen/glyph_tables.h"
#include "runtime/screen/palette.h"
#include "tests/unit/screen/mode12_fixture.h"

namespace rt {
namespace {

class CellRecordsTest : public testing::Mode12Test {
 protected:
  void TearDown() override {
    setCellRecording(false);
    Mode12Test::TearDown();
  }

  using Scenario = std::function<void(CellRecordsTest&)>;

  // Runs `scenario` on a fresh mode-12 screen with recording `on`; the screen stays current.
  void runOnFreshScreen(const Scenario& scenario, bool on) {
    setCellRecording(false);
    resetSurfaceTable();
    initScreen();
    setScreenMode(12, 0, 0, 0, 0, kGivenMode);
    setCellRecording(on);
    scenario(*this);
    ASSERT_FALSE(errorIsPending());
  }

  std::vector<uint8_t> pixels(const ImageSurface& s) {
    return {s.pixels, s.pixels + static_cast<size_t>(s.width) * s.height};
  }

  // The write surface's pixels with its recorded cells drawn over them, straight from the
  // glyph tables (not through the runtime's drawing).
  std::vector<uint8_t> picture() {
    const ImageSurface& s = screen();
    std::vector<uint8_t> shown = pixels(s);
    if (s.cells == nullptr) return shown;
    for (int row = 0; row < s.cells->rows; ++row) {
      for (int column = 0; column < s.cells->columns; ++column) {
        const uint32_t word = s.cells->words[static_cast<size_t>(row * s.cells->columns + column)];
        if (word == 0) continue;
        const int rows = cellRows(word);
        const uint8_t* glyph = rows == 8 ? fontGlyphs8x8() + cellCode(word) * 64
                                         : fontGlyphs8x16() + cellCode(word) * 128 + (rows == 14 ? 8 : 0);
        for (int y = 0; y < rows; ++y) {
          for (int x = 0; x < 8; ++x) {
            shown[static_cast<size_t>(row * rows + y) * s.width + static_cast<size_t>(column * 8 + x)] =
                glyph[y * 8 + x] != 0 ? cellFore(word) : cellBack(word);
          }
        }
      }
    }
    return shown;
  }

  int recorded() { return screen().cells == nullptr ? 0 : screen().cells->recorded; }

  // Pixels where two pictures differ, with the first few named.
  static ::testing::AssertionResult samePicture(const std::vector<uint8_t>& actual,
                                                const std::vector<uint8_t>& expected, int width) {
    if (actual.size() != expected.size()) return ::testing::AssertionFailure() << "sizes differ";
    int wrong = 0;
    std::string first;
    for (size_t i = 0; i < actual.size(); ++i) {
      if (actual[i] == expected[i]) continue;
      if (++wrong <= 5) {
        first += " (" + std::to_string(i % static_cast<size_t>(width)) + ", " +
                 std::to_string(i / static_cast<size_t>(width)) + ") is " + std::to_string(actual[i]) +
                 " not " + std::to_string(expected[i]) + ";";
      }
    }
    if (wrong == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << wrong << " pixels differ:" << first;
  }

  // Runs the scenario both ways and compares the pictures; returns the cells still recorded.
  int expectSamePicture(const Scenario& scenario) {
    runOnFreshScreen(scenario, false);
    EXPECT_EQ(recorded(), 0);
    const std::vector<uint8_t> reference = pixels(screen());
    const int width = screen().width;
    runOnFreshScreen(scenario, true);
    EXPECT_TRUE(samePicture(picture(), reference, width));
    // Revealing what is left gives the same pixels in the surface itself.
    const int left = recorded();
    revealAllCells(screen());
    EXPECT_EQ(recorded(), 0);
    EXPECT_TRUE(samePicture(pixels(screen()), reference, width));
    return left;
  }

 public:
  // What the scenarios below call.
  using Mode12Test::print;
  using Mode12Test::screen;
  void printAt(int row, int column, const std::string& text) {
    locate(row, column);
    print(text);
  }
  void circle(int x, int y, int radius, uint32_t color) {
    drawCircle(x, y, radius, 0, 0, 0, color, kCircleColor);
  }
  void line(float x1, float y1, float x2, float y2, uint32_t color, int32_t kind) {
    drawLine(x1, y1, x2, y2, color, kind, 0, kLineFirstPoint | kLineColor);
  }
  void foreground(int32_t color) { setColor(color, 0, 0, 1); }
};

struct Case {
  const char* name;
  std::function<void(CellRecordsTest&)> draw;
  bool leavesRecords;  // recorded cells remain at the end (the scenario exercises recording)
};

const Case kCases[] = {
    {"marker over a recorded cell",
     [](CellRecordsTest& t) {
       t.printAt(26, 10, "Watched");
       t.circle(84, 407, 3, 2);
       t.circle(84, 407, 6, 12);
       setPixel(81, 405, 14, kPixelColor);
     },
     true},
    {"blanks then text in the same cells, then markers, as the plotter prints each record",
     [](CellRecordsTest& t) {
       for (int record = 0; record < 40; ++record) {
         t.printAt(29, 19, std::string(56, ' '));
         t.printAt(29, 19, std::string("K1ABC W2XYZ ").substr(0, static_cast<size_t>(record % 12)));
         setPixel(static_cast<float>(150 + record), 455, 15, kPixelColor);
         if (record % 7 == 0) t.circle(160 + 8 * record, 460, 3, 12);
       }
     },
     true},
    {"scroll with recorded cells",
     [](CellRecordsTest& t) {
       t.printAt(28, 70, "scrolled up");
       t.printAt(29, 1, std::string(100, 'x'));  // wraps past row 29: the viewport scrolls
       t.print("end", 1);
       t.printAt(2, 1, "kept");
     },
     true},
    {"line and boxes through recorded cells",
     [](CellRecordsTest& t) {
       for (int row = 20; row <= 29; ++row) t.printAt(row, 1, std::string(80, static_cast<char>('0' + row % 10)));
       t.line(0, 300, 639, 470, 9, kLineSegment);
       t.line(100, 330, 200, 350, 4, kLineFilledBox);
       t.line(300, 395, 600, 465, 8, kLineBox);
       t.printAt(2, 1, "kept");
     },
     true},
    {"clearing recorded cells, then text again",
     [](CellRecordsTest& t) {
       t.printAt(5, 5, "before the clear");
       clearScreen(0, 0, 0);
       t.printAt(6, 6, "after the clear");
       clearScreen(2, 3, kClearKind | kClearColor);  // the text viewport, in colour 3
       t.printAt(30, 1, "row 30 lies outside the viewport");
     },
     true},
    {"transparent and background-only glyphs over recorded cells",
     [](CellRecordsTest& t) {
       t.foreground(12);
       t.printAt(10, 10, "opaque first");
       t.screen().printMode = 1;
       t.foreground(14);
       t.printAt(10, 10, "////////////");
       t.screen().printMode = 2;
       t.printAt(10, 14, "####");
       t.screen().printMode = 3;
       t.printAt(11, 10, "opaque again");
     },
     true},
    {"font change with recorded cells",
     [](CellRecordsTest& t) {
       t.printAt(3, 3, "sixteen rows");
       setSurfaceFont(8, t.screen());
       t.printAt(7, 3, "eight rows");
       setSurfaceFont(14, t.screen());
       t.printAt(2, 40, "fourteen rows");
       setPixel(330, 20, 5, kPixelColor);
     },
     true},
    {"double-width font draws at once over recorded cells",
     [](CellRecordsTest& t) {
       setSurfaceFont(16, t.screen());
       t.printAt(4, 1, "narrow cells here");
       setSurfaceFont(17, t.screen());
       t.printAt(1, 1, "wide");
     },
     false},
    {"mode change with recorded cells, then text in the 8x8 font of mode 13",
     [](CellRecordsTest& t) {
       t.printAt(3, 3, "freed with the old screen");
       setScreenMode(13, 0, 0, 0, 0, kGivenMode);
       t.printAt(2, 2, "mode 13");
       setPixel(20, 9, 4, kPixelColor);
       t.printAt(25, 30, "last row");
     },
     true},
    {"colours change between prints; tabs between cells; a line held at the edge",
     [](CellRecordsTest& t) {
       for (int color = 0; color < 16; ++color) {
         setColor(color, 15 - color, 0, 3);
         t.printAt(1 + color, 1 + color, "colour\tcell");
       }
       t.printAt(20, 78, "edge");  // holds at column 80, wraps on the next print
       t.print("next");
     },
     true},
};

class CellRecordsCaseTest : public CellRecordsTest, public ::testing::WithParamInterface<Case> {};

TEST_P(CellRecordsCaseTest, PictureEqualsStepByStepDrawing) {
  const int left = expectSamePicture(GetParam().draw);
  if (GetParam().leavesRecords) {
    EXPECT_GT(left, 0) << "nothing was recorded: the scenario did not exercise recording";
  } else {
    EXPECT_EQ(left, 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Scenarios, CellRecordsCaseTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) {
                           std::string name;
                           for (const char* c = info.param.name; *c != 0 && name.size() < 60; ++c) {
                             if (std::isalnum(static_cast<unsigned char>(*c))) name += *c;
                           }
                           return name + std::to_string(info.index);
                         });

TEST_F(CellRecordsTest, OpaqueTextIsRecordedNotDrawnAndReplacesEarlierRecords) {
  setCellRecording(true);
  printAt(29, 19, std::string(56, ' '));
  printAt(29, 19, "K1ABC");
  EXPECT_EQ(recorded(), 56);
  EXPECT_TRUE(litPixels().empty()) << "a recorded glyph was drawn into the pixels";
}

TEST_F(CellRecordsTest, AMarkerRevealsOnlyTheCellsItTouches) {
  setCellRecording(true);
  printAt(26, 10, "AB");
  printAt(28, 10, "CD");
  setPixel(76, 410, 14, kPixelColor);  // cell (26, 10) only
  EXPECT_EQ(recorded(), 3);
  EXPECT_EQ(pixel(76, 410), 14);
  // The cell under the marker holds its glyph: 'A' has glyph pixels on row 3 (y = 403).
  EXPECT_FALSE(litPixels(72, 400, 79, 415).empty());
  EXPECT_TRUE(litPixels(72, 432, 87, 447).empty()) << "a cell the marker does not touch was drawn";
}

TEST_F(CellRecordsTest, PixelReadOfARecordedCellSeesTheGlyph) {
  setCellRecording(true);
  setColor(12, 1, 0, 3);
  printAt(2, 2, "\xDB ");  // a full block, then a blank
  // Both are recorded; a read draws the cell it reads first.
  EXPECT_EQ(readPixel(10, 20), 12);
  EXPECT_EQ(readPixel(20, 20), 1);
  EXPECT_EQ(readPixel(0, 0), 0);
  EXPECT_EQ(readPixel(640, 0), -1);
  EXPECT_EQ(recorded(), 0);
}

TEST_F(CellRecordsTest, PageChangeLeavesTheOldPageInPixels) {
  setCellRecording(true);
  printAt(1, 1, "page zero");
  ImageSurface& zero = screen();
  ASSERT_GT(recorded(), 0);
  setScreenMode(0, 0, 1, 1, 0, kGivenActivePage | kGivenVisiblePage);
  ASSERT_NE(writeSurface(), &zero);
  EXPECT_EQ(zero.cells->recorded, 0);
  const uint8_t* glyph = fontGlyphs8x16() + 'p' * 128;
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 8; ++x) {
      EXPECT_EQ(zero.pixels[static_cast<size_t>(y) * 640 + static_cast<size_t>(x)], glyph[y * 8 + x] != 0 ? 15 : 0);
    }
  }
}

TEST_F(CellRecordsTest, UnalignedImageRowsAreRevealedExactly) {
  // Rows of 100 bytes put most cells off 8-byte boundaries.
  const Scenario scenario = [](CellRecordsTest& t) {
    const int32_t image = createSurface(100, 40, 256);
    ASSERT_NE(image, 0);
    setWriteSurface(image);
    t.printAt(1, 1, "odd width");
    t.printAt(2, 3, "rows");
    setPixel(30, 20, 200, kPixelColor);
  };
  runOnFreshScreen(scenario, false);
  const std::vector<uint8_t> reference = pixels(screen());
  runOnFreshScreen(scenario, true);
  ASSERT_GT(recorded(), 0);
  EXPECT_TRUE(samePicture(picture(), reference, 100));
  revealAllCells(screen());
  EXPECT_TRUE(samePicture(pixels(screen()), reference, 100));
}

TEST_F(CellRecordsTest, SurfacesWithoutOneBytePixelsHaveNoRecords) {
  EXPECT_NE(screen().cells, nullptr);
  const int32_t trueColor = createSurface(64, 64, 32);
  ASSERT_NE(trueColor, 0);
  EXPECT_EQ(surfaceAt(trueColor)->cells, nullptr);
  initScreen();  // the text screen
  EXPECT_EQ(writeSurface()->cells, nullptr);
}

}  // namespace
}  // namespace rt
