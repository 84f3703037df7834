#include "runtime/display/view_mapping.h"

namespace rt {

ViewMapping computeViewMapping(const ViewInput& in) {
  ViewMapping m;
  int32_t outWidth = in.clientWidth, outHeight = in.clientHeight;
  if (in.clientWidth == in.frameWidth && in.clientHeight == in.frameHeight) {
    // Whole client area, 1:1.
  } else {
    bool fullScreen = in.fullScreenMode != 0;
    bool scaling = fullScreen || in.resizeStretchMode > 0;
    m.smooth = fullScreen ? in.fullScreenSmooth : in.resizeStretchMode == 2;
    if (!scaling) {
      outWidth = in.frameWidth;
      outHeight = in.frameHeight;
      m.smooth = false;
    } else if (in.fullScreenMode == 2 && in.frameHeight > 0 && in.clientHeight > 0 &&
               in.frameWidth * in.clientHeight != in.clientWidth * in.frameHeight) {
      double frameRatio = static_cast<double>(in.frameWidth) / in.frameHeight;
      double windowRatio = static_cast<double>(in.clientWidth) / in.clientHeight;
      if (frameRatio < windowRatio) {
        outWidth = static_cast<int32_t>(in.clientHeight * frameRatio);
        m.left = in.clientWidth / 2 - outWidth / 2;
        m.bars = BarMode::LeftRight;
      } else {
        outHeight = static_cast<int32_t>(in.clientWidth / frameRatio);
        m.top = in.clientHeight / 2 - outHeight / 2;
        m.bars = BarMode::TopBottom;
      }
    }
  }
  m.right = m.left + outWidth - 1;
  m.bottom = m.top + outHeight - 1;
  if (in.frameWidth > 0) m.scaleX = static_cast<float>(outWidth) / static_cast<float>(in.frameWidth);
  if (in.frameHeight > 0) m.scaleY = static_cast<float>(outHeight) / static_cast<float>(in.frameHeight);
  return m;
}

}  // namespace rt
