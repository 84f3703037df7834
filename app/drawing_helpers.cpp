#include "app/drawing_helpers.h"

#include "runtime/screen/draw_circle.h"
#include "runtime/screen/draw_line.h"
#include "runtime/screen/draw_pixel.h"

namespace app {

void circle(int32_t x, int32_t y, int32_t radius, int32_t color) {
  rt::drawCircle(x, y, radius, 0, 0, 0, static_cast<uint32_t>(color), rt::kCircleColor);
}

void pixel(int32_t x, int32_t y, int32_t color) {
  rt::setPixel(static_cast<float>(x), static_cast<float>(y), static_cast<uint32_t>(color), rt::kPixelColor);
}

void line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t color, int32_t kind) {
  rt::drawLine(static_cast<float>(x1), static_cast<float>(y1), static_cast<float>(x2),
               static_cast<float>(y2), static_cast<uint32_t>(color), kind, 0,
               rt::kLineFirstPoint | rt::kLineColor);
}

}  // namespace app
