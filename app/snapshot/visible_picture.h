// The picture the window would show now, taken without a window: a frame builder of its own
// over the visible surface. What --snapshot writes and the web view serves.
#pragma once

#include <string>
#include <string_view>

#include "runtime/display/frame_builder.h"
#include "runtime/display/frame_ring.h"

namespace app {

class VisiblePicture {
 public:
  // Builds the picture; nullptr when the screen shows nothing. The frame stays valid until the
  // next capture. ProgramThread (the surface's own thread), between steps.
  const rt::DisplayFrame* capture();

 private:
  rt::FrameRing ring_;
  rt::FrameBuilder builder_;
};

// An error dialog's caption and text as one line, without the dialog's closing question: how a
// run without a window reports what the window would show.
std::string errorLine(std::string_view caption, std::string_view text);

}  // namespace app
