// Where one request's head ends in the bytes a connection has sent. The HTTP library parses
// the head; this only decides, before any thread is given to a connection, whether a whole head
// has arrived, and refuses heads that are too long or that the library would read differently
// from their framing (a line end that is not CR LF, a NUL byte).
#pragma once

#include <cstddef>
#include <string_view>

namespace app::serve {

enum class Framing {
  Incomplete,  // no blank line yet, and still within the limit
  Complete,    // `headEnd` is the length of the head, its blank line included
  TooLarge,    // more than `limit` bytes without the blank line (431)
  Malformed,   // a bare CR or LF, or a NUL, before the blank line (400)
};

struct FramedHead {
  Framing framing = Framing::Incomplete;
  size_t headEnd = 0;
};

// Looks at the start of `bytes`, the unanswered bytes of a connection.
FramedHead frameRequestHead(std::string_view bytes, size_t limit);

}  // namespace app::serve
