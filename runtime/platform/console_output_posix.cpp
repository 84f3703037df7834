// Text for the command line on Linux: the C streams, whatever they are connected to.
#include <cstdio>

#include "runtime/platform/console_output.h"

namespace rt {

void writeStandardText(StandardStream stream, std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stream == StandardStream::Output ? stdout : stderr);
}

}  // namespace rt
