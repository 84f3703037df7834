#include "app/serve/request_framing.h"

namespace app::serve {

FramedHead frameRequestHead(std::string_view bytes, size_t limit) {
  const size_t scanned = bytes.size() < limit ? bytes.size() : limit;
  for (size_t i = 0; i < scanned; ++i) {
    const char c = bytes[i];
    if (c == '\0') return {Framing::Malformed, 0};
    if (c == '\n' && (i == 0 || bytes[i - 1] != '\r')) return {Framing::Malformed, 0};
    if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] != '\n') return {Framing::Malformed, 0};
    if (c == '\n' && i >= 3 && bytes.substr(i - 3, 4) == "\r\n\r\n") {
      return {Framing::Complete, i + 1};
    }
  }
  return {bytes.size() >= limit ? Framing::TooLarge : Framing::Incomplete, 0};
}

}  // namespace app::serve
