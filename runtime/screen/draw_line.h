// Drawing primitives — lines, box outlines and filled boxes, with the clipping and line
// walking they share with the circle's radius lines.
//
// A line is mapped to pixels (draw_pixel.h), clipped once against the clip rectangle and then
// walked along its major axis with a 32-bit float minor coordinate, so every stored pixel is
// known to be inside and the loop needs no bounds checks. A 16-bit style pattern says which
// pixels are drawn; its first pixel uses bit 15. When clipping removes the start of a line,
// lineStyleSkip counts the hidden pixels so the pattern continues as if they had been drawn.
//
// ProgramThread only; nothing blocks. Public operations return at once while a runtime error is
// pending; on a text surface they are error 5.
#pragma once

#include <cstdint>

namespace rt {

struct ImageSurface;

// Bits of drawLine's `given`.
inline constexpr int32_t kLineFirstPoint = 1;     // otherwise the line starts at the pen
inline constexpr int32_t kLineSecondRelative = 2;  // x2, y2 are added to the pen
inline constexpr int32_t kLineFirstRelative = 4;   // x1, y1 are added to the pen
inline constexpr int32_t kLineColor = 8;          // otherwise foreColor
inline constexpr int32_t kLineStyle = 16;         // otherwise 0xFFFF (solid)

// drawLine's `kind`.
inline constexpr int32_t kLineSegment = 0;
inline constexpr int32_t kLineBox = 1;
inline constexpr int32_t kLineFilledBox = 2;

// Draws a line, a box outline (four styled edges, each starting its pattern afresh) or a
// filled box (style ignored) and leaves the pen on the second point. Another kind draws
// nothing but still moves the pen.
void drawLine(float x1, float y1, float x2, float y2, uint32_t color, int32_t kind, int32_t style,
              int32_t given);

// Inclusive clip rectangle in pixels.
struct ClipRect {
  int32_t x1, y1, x2, y2;
};

// A line's end points in pixels.
struct LineEnds {
  int64_t x1, y1, x2, y2;
};

// Clips `line` to `clip`, moving its end points onto the rectangle's edges. Returns false when
// nothing of it is visible. Sets lineStyleSkip to the number of pixels removed from its start.
bool clipLine(LineEnds& line, const ClipRect& clip);

// Pixels that the most recent clipLine removed from the start of its line.
int64_t lineStyleSkip();

// The clip rectangle of surface `s`.
ClipRect clipRectOf(const ImageSurface& s);

// A styled line between two points in the write surface's coordinate mode.
void styledLine(float x1, float y1, float x2, float y2, uint32_t color, int32_t style);

// A solid line between two pixels, clipped; the circle's radius lines.
void solidLine(int64_t x1, int64_t y1, int64_t x2, int64_t y2, uint32_t color);

// Fills the box between two corners in the write surface's coordinate mode (either order),
// clipped to the clip rectangle; one-byte surfaces are filled row by row.
void fillBox(float x1, float y1, float x2, float y2, uint32_t color);

}  // namespace rt
