// Where a request head ends, and which heads are refused before the HTTP library sees them.
#include "app/serve/request_framing.h"

#include <gtest/gtest.h>

#include <string>

namespace app::serve {
namespace {

TEST(RequestFramingTest, FindsTheHeadOrSaysWhyNot) {
  using namespace std::string_literals;
  const struct {
    std::string bytes;
    Framing framing;
    size_t headEnd;
  } cases[] = {
      {"", Framing::Incomplete, 0},
      {"GET / HTTP/1.1\r\nHost: a\r\n", Framing::Incomplete, 0},
      {"GET / HTTP/1.1\r\nHost: a\r\n\r", Framing::Incomplete, 0},
      {"GET / HTTP/1.1\r\nHost: a\r\n\r\n", Framing::Complete, 27},
      // A pipelined second request and a body stay after the head.
      {"GET / HTTP/1.1\r\n\r\nGET /x HTTP/1.1\r\n\r\n", Framing::Complete, 18},
      {"GET / HTTP/1.1\r\nContent-Length: 3\r\n\r\nabc", Framing::Complete, 37},
      {"GET / HTTP/1.1\nHost: a\n\n", Framing::Malformed, 0},
      {"GET / HTTP/1.1\r\nHost: a\rb\r\n\r\n", Framing::Malformed, 0},
      {"GET / HTTP/1.1\r\nHost: a\0b\r\n\r\n"s, Framing::Malformed, 0},
      {"\n", Framing::Malformed, 0},
      {std::string(64, 'a'), Framing::TooLarge, 0},
      {"GET / HTTP/1.1\r\nX: " + std::string(60, 'a') + "\r\n\r\n", Framing::TooLarge, 0},
      // Exactly at the limit is still a head.
      {"GET / HTTP/1.1\r\nX: " + std::string(41, 'a') + "\r\n\r\n", Framing::Complete, 64},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.bytes));
    const FramedHead head = frameRequestHead(c.bytes, 64);
    EXPECT_EQ(head.framing, c.framing);
    EXPECT_EQ(head.headEnd, c.headEnd);
  }
}

}  // namespace
}  // namespace app::serve
