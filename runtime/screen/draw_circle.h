// Drawing primitives — circles, ellipses and arcs.
//
// One quarter of the curve is walked by rotating a unit vector (one sine and one cosine per
// call), and each point is mirrored into the four quarters; a point that merely touches the
// previous one is dropped, so the outline stays one pixel thin. An arc keeps the mirrored points
// whose quarter angle lies between the start and end angles (outside them when the start is the
// larger); a negative angle also draws a radius line to that end of the arc. The aspect squeezes
// the circle vertically (below 1) or horizontally (above 1) into an ellipse.
//
// ProgramThread only; nothing blocks. Returns at once while a runtime error is pending.
#pragma once

#include <cstdint>

namespace rt {

// Bits of drawCircle's `given`.
inline constexpr int32_t kCircleRelative = 1;  // the centre is added to the pen
inline constexpr int32_t kCircleColor = 2;     // otherwise foreColor
inline constexpr int32_t kCircleStart = 4;     // otherwise 0
inline constexpr int32_t kCircleEnd = 8;       // otherwise two pi
inline constexpr int32_t kCircleAspect = 16;   // otherwise the mode's default

// Largest radius, in pixels along either axis, that is drawn. Far beyond any surface; it bounds
// the walk, which takes about 1.6 steps per pixel of radius.
inline constexpr double kMaxCircleRadius = 16777216.0;

// Draws a circle, ellipse or arc around (x, y) and leaves the pen on the centre. Points are
// clipped one by one. A circle wholly outside the clip rectangle changes nothing else, not even
// drawColor. Error 5: a text surface; a start or end angle whose magnitude exceeds two pi or is
// not a number; a centre or radius that is not finite or a radius above kMaxCircleRadius.
void drawCircle(double x, double y, double radius, double start, double end, double aspect,
                uint32_t color, int32_t given);

// The aspect a mode's circles get when none is given: the height of a pixel over its width on
// the legacy display, inverted.
double defaultCircleAspect(int32_t mode);

}  // namespace rt
