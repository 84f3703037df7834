#include "runtime/screen/text_output.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "runtime/screen/glyph_tables.h"
#include "tests/support/runtime_test.h"
#include "tests/unit/screen/mode12_fixture.h"

namespace rt {
namespace {

using testing::Pixel;

class TextOutputTest : public testing::Mode12Test {
 protected:
  // True when text cell (row, column) shows `code` of the 8x16 font in exactly these colours.
  ::testing::AssertionResult cellShows(int row, int column, uint8_t code, uint8_t fore = 15,
                                       uint8_t back = 0) {
    const uint8_t* glyph = fontGlyphs8x16() + code * 128;
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 8; ++x) {
        const uint8_t expected = glyph[y * 8 + x] != 0 ? fore : back;
        const uint8_t actual = pixel(8 * (column - 1) + x, 16 * (row - 1) + y);
        if (actual != expected) {
          return ::testing::AssertionFailure()
                 << "cell (" << row << ", " << column << ") pixel (" << x << ", " << y
                 << ") is " << int(actual) << ", expected " << int(expected) << " for code "
                 << int(code);
        }
      }
    }
    return ::testing::AssertionSuccess();
  }

  // Pixel rows of one text row as a value per pixel row (all pixels of a row must be equal).
  int uniformRowValue(int textRow) {
    const uint8_t value = pixel(0, 16 * (textRow - 1));
    for (int y = 16 * (textRow - 1); y < 16 * textRow; ++y) {
      for (int x = 0; x < 640; ++x) {
        if (pixel(x, y) != value) return -1;
      }
    }
    return value;
  }
};

// A string of `count` characters where character i (0-based) is 'A' + i % 26.
std::string alphabet(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += static_cast<char>('A' + i % 26);
  return text;
}

TEST_F(TextOutputTest, PrintString_HoldsAtColumn80AndWrapsOnTheNextPrint) {
  locate(3, 79);
  print("AB");
  EXPECT_TRUE(cellShows(3, 79, 'A'));
  EXPECT_TRUE(cellShows(3, 80, 'B'));
  EXPECT_EQ(cursor(), Pixel(80, 3));
  EXPECT_EQ(screen().holdCursor, 1);
  print("C");
  EXPECT_TRUE(cellShows(4, 1, 'C'));
  EXPECT_EQ(cursor(), Pixel(2, 4));
  EXPECT_EQ(screen().holdCursor, 0);
}

TEST_F(TextOutputTest, PrintString_81stCharacterGoesToTheNextRow) {
  print(std::string(80, 'a') + "b");
  EXPECT_TRUE(cellShows(1, 80, 'a'));
  EXPECT_TRUE(cellShows(2, 1, 'b'));
  EXPECT_EQ(cursor(), Pixel(2, 2));
  EXPECT_EQ(screen().holdCursor, 0);
}

TEST_F(TextOutputTest, PrintString_80CharactersWithALineEndMoveDownOnce) {
  for (int row : {5, 29}) {  // on row 29 the one line feed is one scroll
    locate(row, 1);
    print(std::string(80, 'z'), 1);
    EXPECT_EQ(cursor(), Pixel(1, row == 29 ? 29 : row + 1)) << row;
    EXPECT_EQ(screen().holdCursor, 0);
  }
  EXPECT_TRUE(cellShows(28, 1, 'z'));  // the row-29 line, scrolled up once
  EXPECT_TRUE(cellIsBlank(29, 1));
}

TEST_F(TextOutputTest, PrintString_200CharactersFromRow28ScrollOnce) {
  locate(28, 1);
  const std::string text = alphabet(200);
  print(text);
  for (int i = 0; i < 200; ++i) {
    const int row = i < 80 ? 27 : (i < 160 ? 28 : 29);
    ASSERT_TRUE(cellShows(row, i % 80 + 1, static_cast<uint8_t>(text[static_cast<size_t>(i)])))
        << "character " << i + 1;
  }
  for (int column = 41; column <= 80; ++column) EXPECT_TRUE(cellIsBlank(29, column)) << column;
  EXPECT_EQ(cursor(), Pixel(41, 29));
}

TEST_F(TextOutputTest, PrintString_DrawsAOnItsCellOverWhateverWasThere) {
  fill(7);
  screen().foreColor = 14;
  screen().backColor = 0;
  print("A");
  EXPECT_EQ(pixel(3, 2), 14);
  for (int x = 2; x <= 4; ++x) EXPECT_EQ(pixel(x, 3), 14) << x;
  for (int x = 0; x < 8; ++x) EXPECT_EQ(pixel(x, 0) + pixel(x, 1), 0) << x;
  EXPECT_TRUE(cellShows(1, 1, 'A', 14, 0));
  EXPECT_EQ(pixel(8, 0), 7);  // the next cell is untouched
  EXPECT_EQ(pixel(0, 16), 7);
}

TEST_F(TextOutputTest, PrintString_StoresColoursThroughTheColourMask) {
  screen().foreColor = 0x1E;  // 14 with a bit above the mask
  print("A");
  EXPECT_TRUE(cellShows(1, 1, 'A', 14, 0));
}

TEST_F(TextOutputTest, FitToLine_StartsANewLineOnlyWhenTheItemWouldPassColumn80) {
  struct Case {
    int column;
    int length;
    bool newLine;
  } cases[] = {
      {75, 7, true}, {75, 6, false}, {1, 200, false}, {80, 1, false}, {80, 2, true}, {2, 79, false},
      {2, 80, true}, {50, 0, false},
  };
  for (const Case& c : cases) {
    locate(10, c.column);
    fitToLine(literalString(std::string(static_cast<size_t>(c.length), 'x')));
    const Pixel expected = c.newLine ? Pixel(1, 11) : Pixel(c.column, 10);
    EXPECT_EQ(cursor(), expected) << "column " << c.column << " length " << c.length;
  }
}

TEST_F(TextOutputTest, FitToLine_DoesNothingWhileTheCursorIsHeld) {
  locate(10, 1);
  print(std::string(80, 'x'));
  ASSERT_EQ(screen().holdCursor, 1);
  fitToLine(literalString("abcdefg"));
  EXPECT_EQ(cursor(), Pixel(80, 10));
}

TEST_F(TextOutputTest, LocateCursor_AcceptsTheGridAndRejectsTheRest) {
  struct Case {
    int row;
    int column;
    bool ok;
  } cases[] = {
      {30, 1, true}, {29, 80, true}, {1, 1, true}, {31, 1, false},
      {1, 81, false}, {0, 1, false}, {1, 0, false}, {-1, 5, false},
  };
  for (const Case& c : cases) {
    pendingError = 0;
    locate(7, 7);
    locate(c.row, c.column);
    EXPECT_EQ(pendingError, c.ok ? 0u : 5u) << c.row << ", " << c.column;
    EXPECT_EQ(cursor(), c.ok ? Pixel(c.column, c.row) : Pixel(7, 7)) << c.row << ", " << c.column;
  }
}

TEST_F(TextOutputTest, LocateCursor_ShapeValuesAreCheckedBeforeAnythingChanges) {
  struct Case {
    int32_t shown, first, last;
    bool ok;
  } cases[] = {{1, 0, 31, true}, {2, 0, 0, false}, {0, 32, 0, false}, {0, 0, -1, false}};
  for (const Case& c : cases) {
    pendingError = 0;
    locate(7, 7);
    locateCursor(3, 3, c.shown, c.first, c.last, 31);
    EXPECT_EQ(pendingError, c.ok ? 0u : 5u);
    EXPECT_EQ(cursor(), c.ok ? Pixel(3, 3) : Pixel(7, 7));
  }
  EXPECT_EQ(screen().cursorVisible, 1);
  EXPECT_EQ(screen().cursorLastLine, 31);
}

TEST_F(TextOutputTest, LocateCursor_WithNothingGivenKeepsAHeldCursorHeld) {
  print(std::string(80, 'x'));
  locateCursor(0, 0, 0, 0, 0, 0);
  EXPECT_EQ(screen().holdCursor, 2);
  print("y");
  EXPECT_TRUE(cellShows(2, 1, 'y'));
}

TEST_F(TextOutputTest, NewLine_OnRow29ScrollsTheViewportAndKeepsRow30) {
  for (int row = 1; row <= 30; ++row) {
    std::fill_n(screen().pixels + (row - 1) * 16 * 640, 16 * 640, static_cast<uint8_t>(row % 16));
  }
  screen().backColor = 9;
  for (int startRow : {29, 30}) {
    locate(startRow, 5);
    newLine();
    EXPECT_EQ(cursor(), Pixel(1, 29)) << startRow;
  }
  // Two scrolls: row r now holds what row r + 2 held; the last two viewport rows are filled.
  for (int row = 1; row <= 27; ++row) EXPECT_EQ(uniformRowValue(row), (row + 2) % 16) << row;
  EXPECT_EQ(uniformRowValue(28), 9);
  EXPECT_EQ(uniformRowValue(29), 9);
  EXPECT_EQ(uniformRowValue(30), 14);
}

TEST_F(TextOutputTest, PrintString_TabAdvancesToTheNextStop) {
  struct Case {
    int from;
    int to;
  } cases[] = {{1, 9}, {8, 9}, {9, 17}, {15, 17}, {73, 80}};
  for (const Case& c : cases) {
    fill(7);
    locate(3, c.from);
    print("\t");
    EXPECT_EQ(cursor().first, c.to) << c.from;
    // Every cell the tab passed over was printed as a space; the next one is untouched.
    for (int column = c.from; column < c.to; ++column) {
      EXPECT_TRUE(cellIsBlank(3, column)) << c.from;
    }
    EXPECT_EQ(pixel(8 * (c.to - 1), 32), c.to == 80 ? 0 : 7) << c.from;
  }
  EXPECT_EQ(screen().holdCursor, 1);  // the last tab filled the row up to column 80
}

TEST_F(TextOutputTest, PrintString_BellWaitsAndDrawsNothing) {
  locate(4, 4);
  const auto before = std::chrono::steady_clock::now();
  print("\a");
  const auto waited = std::chrono::steady_clock::now() - before;
  // The wait counts whole milliseconds of the runtime clock, which may start mid-tick.
  EXPECT_GE(waited, std::chrono::milliseconds(249));
  EXPECT_EQ(cursor(), Pixel(4, 4));
  EXPECT_TRUE(litPixels().empty());
}

TEST_F(TextOutputTest, PrintString_CursorControlCodesMoveWithoutDrawing) {
  struct Case {
    char code;
    int row, column;
    int toRow, toColumn;
  } cases[] = {
      {'\n', 5, 10, 6, 1},   {'\r', 5, 10, 6, 1},   {'\v', 5, 10, 1, 1},
      {'\x1C', 5, 10, 5, 11}, {'\x1C', 5, 80, 6, 1}, {'\x1C', 29, 80, 29, 80},
      {'\x1C', 30, 80, 30, 80},
      {'\x1D', 5, 10, 5, 9},  {'\x1D', 5, 1, 4, 80}, {'\x1D', 1, 1, 1, 1},
      {'\x1D', 30, 1, 30, 1},
      {'\x1E', 5, 10, 4, 10}, {'\x1E', 1, 10, 1, 10}, {'\x1E', 30, 10, 30, 10},
      {'\x1F', 5, 10, 6, 10}, {'\x1F', 29, 10, 29, 10}, {'\x1F', 30, 10, 30, 10},
  };
  for (const Case& c : cases) {
    locate(c.row, c.column);
    print(std::string(1, c.code));
    EXPECT_EQ(cursor(), Pixel(c.toColumn, c.toRow))
        << "code " << int(c.code) << " from (" << c.row << ", " << c.column << ")";
  }
  EXPECT_TRUE(litPixels().empty());
}

TEST_F(TextOutputTest, PrintString_FormFeedClearsTheScreen) {
  fill(3);
  locate(12, 12);
  print("\f");
  EXPECT_TRUE(litPixels().empty());
  EXPECT_EQ(cursor(), Pixel(1, 1));
}

TEST_F(TextOutputTest, PrintString_PassThroughDrawsControlCodesAsGlyphs) {
  setPrintPassThrough(true);
  print("\n\x01");
  setPrintPassThrough(false);
  EXPECT_TRUE(cellShows(1, 1, '\n'));
  EXPECT_TRUE(cellShows(1, 2, 1));
  EXPECT_EQ(cursor(), Pixel(3, 1));
}

TEST_F(TextOutputTest, PrintString_OtherLowCodesAreDrawn) {
  print("\x01\x08\x1B");
  EXPECT_TRUE(cellShows(1, 1, 1));
  EXPECT_TRUE(cellShows(1, 2, 8));
  EXPECT_TRUE(cellShows(1, 3, 27));
}

TEST_F(TextOutputTest, PrintString_EmptyTextWithLineEndOnlyReleasesAHeldCursorOnce) {
  print(std::string(80, 'x'));
  print("", 1);
  EXPECT_EQ(cursor(), Pixel(1, 2));
  EXPECT_EQ(screen().holdCursor, 0);
  print("", 0);
  EXPECT_EQ(cursor(), Pixel(1, 2));
}

TEST_F(TextOutputTest, PrintMode_SelectsGlyphOrBackgroundPixels) {
  struct Case {
    uint8_t mode;
    uint8_t glyphValue;
    uint8_t backgroundValue;
  } cases[] = {{1, 12, 7}, {2, 7, 4}, {3, 12, 4}};
  for (const Case& c : cases) {
    fill(7);
    screen().printMode = c.mode;
    screen().foreColor = 12;
    screen().backColor = 4;
    locate(1, 1);
    print("A");
    EXPECT_TRUE(cellShows(1, 1, 'A', c.glyphValue, c.backgroundValue)) << int(c.mode);
  }
}

TEST_F(TextOutputTest, DrawGlyph_EveryBuiltInFontAndItsDoubleWidthForm) {
  struct Case {
    int32_t font;
    int width, height;
    const uint8_t* firstRow;  // of glyph 'A'
  } cases[] = {
      {8, 8, 8, fontGlyphs8x8() + 'A' * 64},      {9, 16, 8, fontGlyphs8x8() + 'A' * 64},
      {14, 8, 14, fontGlyphs8x16() + 'A' * 128 + 8}, {15, 16, 14, fontGlyphs8x16() + 'A' * 128 + 8},
      {16, 8, 16, fontGlyphs8x16() + 'A' * 128},  {17, 16, 16, fontGlyphs8x16() + 'A' * 128},
  };
  for (const Case& c : cases) {
    fill(7);
    setSurfaceFont(c.font, screen());
    locate(2, 3);
    drawGlyph('A' + 256);  // only the low 8 bits count
    const int x0 = 2 * c.width, y0 = c.height;
    int wrong = 0;
    for (int y = y0 - 1; y <= y0 + c.height; ++y) {
      for (int x = x0 - 1; x <= x0 + c.width; ++x) {
        const bool inCell = x >= x0 && x < x0 + c.width && y >= y0 && y < y0 + c.height;
        const int gx = (x - x0) / (c.width / 8);
        const uint8_t expected = !inCell ? 7 : (c.firstRow[(y - y0) * 8 + gx] != 0 ? 15 : 0);
        wrong += pixel(x, y) != expected;
      }
    }
    EXPECT_EQ(wrong, 0) << "font " << c.font;
    EXPECT_EQ(cursor(), Pixel(3, 2)) << "drawGlyph does not move the cursor";
  }
}

TEST_F(TextOutputTest, ClearScreen_HeldCursorSurvives) {
  print(std::string(80, 'x'));
  clearScreen(0, 0, 0);
  EXPECT_EQ(cursor(), Pixel(1, 1));
  EXPECT_EQ(screen().holdCursor, 1);
  EXPECT_TRUE(litPixels().empty());
  print("y");
  EXPECT_TRUE(cellShows(2, 1, 'y'));
}

TEST_F(TextOutputTest, ClearScreen_KindsClearTheirAreas) {
  struct Case {
    const char* what;
    int32_t kind;
    int32_t given;
    int clearedRows;  // pixel rows 0..clearedRows-1 cleared, the rest kept
    bool penCentred;
  } cases[] = {
      {"nothing given", 0, 0, 480, true},
      {"kind 0", 0, kClearKind, 480, true},
      {"kind 1 without a view", 1, kClearKind, 480, true},
      {"kind 2: text viewport only", 2, kClearKind, 464, false},
  };
  for (const Case& c : cases) {
    fill(9);
    screen().penX = 5;
    screen().penY = 6;
    screen().backColor = 2;
    locate(17, 17);
    clearScreen(c.kind, 0, c.given);
    int wrong = 0;
    for (int y = 0; y < 480; ++y) {
      for (int x = 0; x < 640; ++x) wrong += pixel(x, y) != (y < c.clearedRows ? 2 : 9);
    }
    EXPECT_EQ(wrong, 0) << c.what;
    EXPECT_EQ(cursor(), Pixel(1, 1)) << c.what;
    EXPECT_EQ(screen().penX, c.penCentred ? 320.0f : 5.0f) << c.what;
    EXPECT_EQ(screen().penY, c.penCentred ? 240.0f : 6.0f) << c.what;
  }
}

TEST_F(TextOutputTest, ClearScreen_KindOneClearsOnlyTheView) {
  fill(9);
  ImageSurface& s = screen();
  s.viewX1 = 10, s.viewY1 = 20, s.viewX2 = 19, s.viewY2 = 39;
  clearScreen(1, 4, kClearKind | kClearColor);
  int cleared = 0;
  for (int y = 0; y < 480; ++y) {
    for (int x = 0; x < 640; ++x) cleared += pixel(x, y) == 4;
  }
  EXPECT_EQ(cleared, 10 * 20);
  EXPECT_EQ(pixel(10, 20), 4);
  EXPECT_EQ(pixel(19, 39), 4);
  EXPECT_EQ(s.penX, 5.0f);
  EXPECT_EQ(s.penY, 10.0f);
}

TEST_F(TextOutputTest, ClearScreen_BadKindOrColourIsIllegalAndChangesNothing) {
  struct Case {
    int32_t kind;
    uint32_t color;
    int32_t given;
  } cases[] = {{3, 0, kClearKind}, {-1, 0, kClearKind}, {0, 16, kClearColor}};
  for (const Case& c : cases) {
    pendingError = 0;
    fill(9);
    locate(5, 5);
    clearScreen(c.kind, c.color, c.given);
    EXPECT_EQ(pendingError, 5u);
    EXPECT_EQ(pixel(0, 0), 9);
    EXPECT_EQ(cursor(), Pixel(5, 5));
  }
}

TEST_F(TextOutputTest, SetTextViewport_LastRowBecomesThePrintWindow) {
  fill(6);
  setTextViewport(30, 30);
  EXPECT_EQ(cursor(), Pixel(1, 30));
  print("", 1);  // a line feed on a one-row window clears that row
  EXPECT_EQ(uniformRowValue(30), 0);
  print("Press");
  EXPECT_TRUE(cellShows(30, 1, 'P'));
  EXPECT_EQ(uniformRowValue(29), 6);
}

TEST_F(TextOutputTest, SetTextViewport_RowsOutsideTheGridAreIllegal) {
  struct Case {
    int32_t top, bottom;
  } cases[] = {{0, 5}, {5, 31}, {10, 9}};
  for (const Case& c : cases) {
    pendingError = 0;
    setTextViewport(c.top, c.bottom);
    EXPECT_EQ(pendingError, 5u) << c.top << ".." << c.bottom;
    EXPECT_EQ(screen().topRow, 1);
    EXPECT_EQ(screen().bottomRow, 29);
  }
}

TEST_F(TextOutputTest, PendingErrorMakesEveryOperationInert) {
  fill(1);
  locate(4, 4);
  pendingError = 53;
  print("A", 1);
  fitToLine(literalString(std::string(100, 'x')));
  newLine();
  locate(9, 9);
  drawGlyph('A');
  clearScreen(0, 0, 0);
  setTextViewport(2, 3);
  EXPECT_EQ(cursor(), Pixel(4, 4));
  EXPECT_EQ(litPixels().size(), 640u * 480u);
  EXPECT_EQ(pendingError, 53u);
}

TEST_F(TextOutputTest, PrintString_TabOnANarrowGridEndsHeldAtTheEdge) {
  // Mode 13 with font 17 has 20 columns: the stop after column 17 lies beyond the edge.
  setScreenMode(13, 0, 0, 0, 0, kGivenMode);
  setSurfaceFont(17, screen());
  locate(1, 19);
  print("\t");
  EXPECT_EQ(screen().cursorColumn, 20);
  EXPECT_EQ(screen().holdCursor, 1);
}

TEST_F(TextOutputTest, PrintString_OnASurfaceSmallerThanACellDrawsNothing) {
  const int32_t tiny = createSurface(4, 4, 13);
  ASSERT_NE(tiny, 0);
  setWriteSurface(tiny);
  print("AB\tC", 1);
  clearScreen(2, 0, kClearKind);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(writeSurface()->pixels[i], 0) << i;
}

// The text screen (mode 0) stores codes and attributes instead of pixels.
class TextScreenTest : public testing::RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    initScreen();
  }
  void TearDown() override {
    resetSurfaceTable();
    RuntimeTest::TearDown();
  }
  ImageSurface& screen() { return *writeSurface(); }
  uint16_t cell(int row, int column) {
    const uint8_t* p = screen().pixels + ((row - 1) * screen().width + column - 1) * 2;
    return static_cast<uint16_t>(p[0] | p[1] << 8);
  }
};

TEST_F(TextScreenTest, PrintString_StoresCodeAndAttribute) {
  screen().foreColor = 0x1E;  // yellow, blinking
  screen().backColor = 1;
  locateCursor(2, 79, 0, 0, 0, kLocateRow | kLocateColumn);
  printString(literalString("Hi!"), 0);
  EXPECT_EQ(cell(2, 79), 0x9E00 | 'H');
  EXPECT_EQ(cell(2, 80), 0x9E00 | 'i');
  EXPECT_EQ(cell(3, 1), 0x9E00 | '!');
  EXPECT_EQ(cell(2, 78), 0x0720);
}

TEST_F(TextScreenTest, NewLine_ScrollsCellsAndKeepsTheLastRow) {
  locateCursor(1, 1, 0, 0, 0, kLocateRow | kLocateColumn);
  printString(literalString("top"), 0);
  locateCursor(25, 1, 0, 0, 0, kLocateRow | kLocateColumn);
  printString(literalString("last"), 0);
  screen().backColor = 2;
  locateCursor(24, 1, 0, 0, 0, kLocateRow | kLocateColumn);
  newLine();
  EXPECT_EQ(cell(1, 1), 0x0720);  // "top" scrolled away
  EXPECT_EQ(cell(24, 1), 0x2720);
  EXPECT_EQ(cell(25, 1), 0x0700 | 'l');
  EXPECT_EQ(screen().cursorRow, 24);
}

TEST_F(TextScreenTest, ClearScreen_ClearsTheViewportAndTheLastRow) {
  locateCursor(25, 1, 0, 0, 0, kLocateRow | kLocateColumn);
  printString(literalString("x"), 0);
  clearScreen(0, 3, kClearColor);
  EXPECT_EQ(cell(25, 1), 0x3720);
  EXPECT_EQ(cell(1, 1), 0x3720);
  EXPECT_EQ(screen().cursorRow, 1);
}

TEST_F(TextScreenTest, LocateCursor_StartupAllowanceGrowsTheScreenOnce) {
  ASSERT_TRUE(startupAllowanceOn());
  printString(literalString("kept"), 0);
  locateCursor(40, 5, 0, 0, 0, kLocateRow | kLocateColumn);
  ASSERT_EQ(pendingError, 0u);
  EXPECT_EQ(screen().height, 50);
  EXPECT_EQ(screen().cursorRow, 40);
  EXPECT_EQ(screen().cursorColumn, 5);
  EXPECT_EQ(cell(1, 1), 0x0700 | 'k');
  EXPECT_FALSE(startupAllowanceOn());
  locateCursor(50, 1, 0, 0, 0, kLocateRow);
  EXPECT_EQ(pendingError, 0u);  // the last row of the grown grid
}

TEST_F(TextScreenTest, LocateCursor_StartupAllowanceRefusesRowsAbove50) {
  locateCursor(51, 1, 0, 0, 0, kLocateRow);
  EXPECT_EQ(pendingError, 5u);
  EXPECT_EQ(screen().height, 25);
  EXPECT_FALSE(startupAllowanceOn());
}

TEST_F(TextScreenTest, LocateCursor_CursorShapeGoesToEveryPage) {
  locateCursor(0, 0, 1, 6, 7, kLocateCursorShown | kLocateFirstLine | kLocateLastLine);
  for (int page = 0; page < 8; ++page) {
    const ImageSurface* p = surfaceAt(pageSurface(page));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->cursorVisible, 1) << page;
    EXPECT_EQ(p->cursorFirstLine, 6) << page;
    EXPECT_EQ(p->cursorLastLine, 7) << page;
  }
}

}  // namespace
}  // namespace rt
