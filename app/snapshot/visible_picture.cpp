#include "app/snapshot/visible_picture.h"

#include "runtime/screen/image_surface.h"

namespace app {

const rt::DisplayFrame* VisiblePicture::capture() {
  builder_.buildPass(ring_, &rt::visibleSurface, 0);
  return ring_.take().showing;
}

std::string errorLine(std::string_view caption, std::string_view text) {
  constexpr std::string_view kQuestion = "\nContinue?";
  if (text.size() >= kQuestion.size() && text.substr(text.size() - kQuestion.size()) == kQuestion) {
    text.remove_suffix(kQuestion.size());
  }
  std::string line = std::string(caption) + ": " + std::string(text);
  for (char& c : line) {
    if (c == '\n') c = ' ';
  }
  return line;
}

}  // namespace app
