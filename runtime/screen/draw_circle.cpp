// Circles, ellipses and arcs.
#include "runtime/screen/draw_circle.h"

#include <cmath>
#include <cstdlib>
#include <utility>

#include "runtime/core/errors.h"
#include "runtime/screen/cell_records.h"
#include "runtime/screen/draw_line.h"
#include "runtime/screen/draw_pixel.h"
#include "runtime/screen/image_surface.h"

namespace rt {
namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kPi = 3.141592653589793;

// Halves round away from zero.
int64_t roundAway(double v) {
  return static_cast<int64_t>(v >= 0 ? std::trunc(v + 0.5) : std::trunc(v - 0.5));
}

struct Offset {
  int64_t x = 0, y = 0;
};

// The end of a radius line: the vertical term subtracts 0.5 before truncating, so this point
// can lie one pixel nearer the centre than the arc.
Offset radiusEnd(double angle, double rx, double ry) {
  return {static_cast<int64_t>(std::trunc(std::cos(angle) * rx + 0.5)),
          -static_cast<int64_t>(std::trunc(std::sin(angle) * ry - 0.5))};
}

struct Arc {
  double start, end;
  bool wrapping;  // start was larger than end: the arc runs through angle 0
  bool contains(double a) const {
    return wrapping ? (a <= start || a >= end) : (start <= a && a <= end);
  }
};

// Walks one quarter and plots each kept point in the four quarters. (c, s) rotates from (1, 0)
// by `inc` per step, n steps per quarter; s runs down to -1, so a point's vertical offset is
// minus its height. A new point that touches the last plotted one replaces the pending point
// unplotted. The quarter angles tested belong to the newest computed point, one or more steps
// ahead of the point being plotted; for full circles that makes no difference.
void walkQuarters(ImageSurface& surface, int64_t cx, int64_t cy, double r0, double rx, double ry,
                  const Arc& arc, uint32_t color) {
  // Every point lies within rx + 1, ry + 1 of the centre (rounding of a rotated unit vector).
  const auto reachX = static_cast<int64_t>(std::ceil(rx)) + 2, reachY = static_cast<int64_t>(std::ceil(ry)) + 2;
  revealCells(surface, cx - reachX, cy - reachY, cx + reachX, cy + reachY);
  const auto n = static_cast<int64_t>(std::trunc(kTwoPi * r0 / 4 + 0.5));
  // With n = 0 (radius below 0.32) the walk plots its one point and ends before any rotation.
  const double inc = n > 0 ? (kPi / 2) / static_cast<double>(n) : 0;
  const double sn = std::sin(inc), cs = std::cos(inc);
  // Quarter angles of the newest point in the upper right, upper left, lower left, lower right.
  double a1 = 0, a2 = kPi, a3 = kPi, a4 = kTwoPi;
  double c = 1, s = 0;
  Offset previous, pending;
  auto plot = [&](Offset q) {
    if (arc.contains(a1)) plotClipped(surface, cx + q.x, cy + q.y, color);
    if (arc.contains(a2)) plotClipped(surface, cx - q.x, cy + q.y, color);
    if (arc.contains(a3)) plotClipped(surface, cx - q.x, cy - q.y, color);
    if (arc.contains(a4)) plotClipped(surface, cx + q.x, cy - q.y, color);
  };
  for (int64_t i = 0;;) {
    const Offset next{static_cast<int64_t>(std::trunc(c * rx + 0.5)),
                      static_cast<int64_t>(std::trunc(s * ry - 0.5))};
    bool plotPending = true;
    if (i == 0) {
      pending = next;
    } else if (std::abs(next.x - previous.x) <= 1 && std::abs(next.y - previous.y) <= 1) {
      plotPending = false;  // the pending point is redundant: `next` touches `previous`
    }
    for (;;) {
      if (plotPending) {
        plot(pending);
        if (i > n) return;
        previous = pending;
      }
      pending = next;
      if (i > n) return;
      ++i;
      if (i <= n) break;
      plotPending = true;  // past the last step: plot the final point and finish
    }
    const double rotatedC = c * cs + s * sn;
    s = s * cs - c * sn;
    c = rotatedC;
    a1 += inc;
    a2 -= inc;
    a3 += inc;
    a4 -= inc;
  }
}

}  // namespace

double defaultCircleAspect(int32_t mode) {
  switch (mode) {
    case 1:
    case 7:
    case 13: return 0.8333333333333334;
    case 2:
    case 8: return 0.4166666666666667;
    case 9:
    case 10: return 0.7291666666666666;
    default: return 1.0;
  }
}

void drawCircle(double x, double y, double radius, double start, double end, double aspect,
                uint32_t color, int32_t given) {
  if (errorIsPending()) return;
  ImageSurface* target = writeSurface();
  if (target == nullptr) return;
  ImageSurface& s = *target;
  if (s.isText) return raiseError(5);

  if (!(given & kCircleStart)) start = 0;
  if (!(given & kCircleEnd)) end = kTwoPi;
  bool startLine = false, endLine = false;  // negative angles ask for radius lines
  if (start < 0) {
    startLine = true;
    start = -start;
  }
  if (end < 0) {
    endLine = true;
    end = -end;
  }
  // Written so that a NaN angle fails too.
  if (!(start <= kTwoPi) || !(end <= kTwoPi)) return raiseError(5);
  bool wrapping = false;
  if (start > end) {
    std::swap(start, end);
    std::swap(startLine, endLine);
    wrapping = true;
  }

  if (given & kCircleRelative) {
    x += s.penX;
    y += s.penY;
  }
  s.penX = static_cast<float>(x);
  s.penY = static_cast<float>(y);

  double xr = x + radius;
  if (s.coordMode == 2) {
    xr = xr * s.scaleX + s.scaleOffsetX + s.viewOffsetX;
    x = x * s.scaleX + s.scaleOffsetX + s.viewOffsetX;
    y = y * s.scaleY + s.scaleOffsetY + s.viewOffsetY;
  } else if (s.coordMode == 1) {
    xr += s.viewOffsetX;
    x += s.viewOffsetX;
    y += s.viewOffsetY;
  }

  const double r0 = std::fabs(xr - x);  // a negative radius acts as positive
  double rx = r0, ry = r0;
  if (!(given & kCircleAspect)) aspect = defaultCircleAspect(s.mode);
  if (aspect >= 0) {
    if (aspect < 1) ry = aspect * r0;
    if (aspect > 1) rx = r0 / aspect;
  } else if (aspect > -1) {
    ry = (aspect + 1) * r0;
  }

  if (s.viewX1 > x + rx + 0.5 || s.viewY1 > y + ry + 0.5 || x - rx - 0.5 > s.viewX2 ||
      y - ry - 0.5 > s.viewY2) {
    return;  // wholly outside the clip rectangle
  }
  // What passed that test lies near the rectangle unless a value is NaN or the radius huge;
  // both would make the integer conversions below meaningless and the walk endless.
  if (!std::isfinite(x) || !std::isfinite(y) || !(rx <= kMaxCircleRadius) ||
      !(ry <= kMaxCircleRadius) || !(r0 <= kMaxCircleRadius)) {
    return raiseError(5);
  }

  if (!(given & kCircleColor)) color = s.foreColor;
  s.drawColor = color;
  const int64_t cx = roundAway(x), cy = roundAway(y);
  if (startLine) {
    const Offset e = radiusEnd(start, rx, ry);
    solidLine(cx, cy, cx + e.x, cy + e.y, color);
  }
  walkQuarters(s, cx, cy, r0, rx, ry, Arc{start, end, wrapping}, color);
  if (endLine) {
    const Offset e = radiusEnd(end, rx, ry);
    solidLine(cx, cy, cx + e.x, cy + e.y, color);
  }
}

}  // namespace rt
