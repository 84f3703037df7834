// The web view's server over real loopback connections: its routes and headers, hostile
// requests, slow and idle clients, and event streams.
#include "app/serve/chart_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/serve/chart_page.h"
#include "tests/support/temp_folder.h"

namespace app::serve {
namespace {

using namespace std::chrono_literals;

constexpr uint32_t kFirstPicture[4] = {0xFF000000, 0xFFFFFFFF, 0xFF00FF00, 0xFF0000FF};
constexpr uint32_t kSecondPicture[4] = {0xFFFF0000, 0xFFFFFFFF, 0xFF00FF00, 0xFF0000FF};
constexpr const char* kSecret = "settings-file-contents";

// What came back on one connection.
struct Reply {
  std::string bytes;
  bool closed = false;  // the server closed the connection
  int status() const {
    return bytes.rfind("HTTP/1.1 ", 0) == 0 ? std::stoi(bytes.substr(9, 3)) : 0;
  }
  bool has(const std::string& text) const { return bytes.find(text) != std::string::npos; }
};

int connectTo(int port) {
  const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  EXPECT_EQ(connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  return socket;
}

void sendText(int socket, const std::string& bytes) {
  EXPECT_EQ(send(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL), static_cast<ssize_t>(bytes.size()));
}

// Reads until the server closes, `until` has arrived, or nothing comes for `quiet`.
Reply receive(int socket, std::chrono::milliseconds quiet, const std::string& until = {}) {
  Reply reply;
  char buffer[65536];
  for (;;) {
    if (!until.empty() && reply.has(until)) return reply;
    pollfd entry{socket, POLLIN, 0};
    if (poll(&entry, 1, static_cast<int>(quiet.count())) != 1) return reply;
    const ssize_t received = recv(socket, buffer, sizeof buffer, 0);
    if (received <= 0) {
      reply.closed = true;
      return reply;
    }
    reply.bytes.append(buffer, static_cast<size_t>(received));
  }
}

class ChartServerTest : public testing::Test {
 protected:
  void SetUp() override {
    startSockets();
    std::string problem;
    const SocketHandle listener = openListener("127.0.0.1", 0, problem);
    ASSERT_NE(listener, kNoSocket) << problem;
    port_ = boundPort(listener);
    chart_.setTitle("Chart <&> \"title\"");
    chart_.publishPicture(2, 2, kFirstPicture, {"Watched calls: K1ABC"});
    ServerLimits limits;
    limits.gate.headTime = 600ms;
    limits.gate.headBytes = 8192;
    limits.gate.workers = 2;  // fewer than the event streams: those must not hold a worker
    limits.eventStreams = 3;
    limits.heartbeat = 200ms;
    server_ = std::make_unique<ChartServer>(listener, chart_, limits);
  }
  void TearDown() override { server_.reset(); }

  // One request on a connection of its own.
  Reply exchange(const std::string& request, std::chrono::milliseconds quiet = 1500ms) {
    const int socket = connectTo(port_);
    sendText(socket, request);
    Reply reply = receive(socket, quiet);
    close(socket);
    return reply;
  }

  Reply get(const std::string& target, const std::string& headers = {}) {
    return exchange("GET " + target + " HTTP/1.1\r\nHost: a\r\nConnection: close\r\n" + headers + "\r\n");
  }

  int port_ = 0;
  PublishedChart chart_;
  std::unique_ptr<ChartServer> server_;
};

TEST_F(ChartServerTest, EachRouteAnswersFromMemoryWithItsTypeAndTheSafetyHeaders) {
  const std::string etag = chart_.current()->etag;
  const struct {
    std::string request;
    int status;
    std::string contains;
  } cases[] = {
      {"GET / HTTP/1.1\r\n", 200, "Content-Type: text/html"},
      {"GET / HTTP/1.1\r\n", 200, "<title>Chart &lt;&amp;&gt; &quot;title&quot;</title>"},
      {"GET / HTTP/1.1\r\n", 200, "<p>Watched calls: K1ABC</p>"},
      {"GET /?x=1 HTTP/1.1\r\n", 200, "/chart.png?v="},
      {"GET /chart.css HTTP/1.1\r\n", 200, "image-rendering: pixelated"},
      {"GET /chart.js HTTP/1.1\r\n", 200, "EventSource('/events')"},
      {"GET /chart.png HTTP/1.1\r\n", 200, "ETag: " + etag},
      {"GET /chart.png HTTP/1.1\r\n", 200, "\x89PNG"},
      {"GET /chart.png HTTP/1.1\r\nIf-None-Match: " + etag + "\r\n", 304, "ETag: " + etag},
      {"GET /chart.png HTTP/1.1\r\nIf-None-Match: \"0\"\r\n", 200, "image/png"},
      {"HEAD /chart.png HTTP/1.1\r\n", 200, "Content-Type: image/png"},
      {"GET /missing HTTP/1.1\r\n", 404, "Content-Length: 0"},
      {"GET /favicon.ico HTTP/1.1\r\n", 204, "HTTP/1.1 204"},
      {"POST / HTTP/1.1\r\nContent-Length: 0\r\n", 405, "Allow: GET, HEAD"},
      {"DELETE /chart.png HTTP/1.1\r\n", 405, "Allow: GET, HEAD"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.request);
    const Reply reply = exchange(c.request + "Host: a\r\nConnection: close\r\n\r\n");
    EXPECT_EQ(reply.status(), c.status);
    EXPECT_TRUE(reply.has(c.contains));
    for (const char* header : {"Cache-Control: no-cache", "X-Content-Type-Options: nosniff",
                               "Content-Security-Policy: default-src 'self';"}) {
      EXPECT_TRUE(reply.has(header)) << header;
    }
  }
  EXPECT_FALSE(exchange("HEAD /chart.png HTTP/1.1\r\nHost: a\r\nConnection: close\r\n\r\n").has("PNG"));
}

TEST_F(ChartServerTest, HostileRequestsAreRefusedAndTheNextRequestIsAnswered) {
  // A settings file in the working folder: no request may reach it.
  support::TempFolder folder;
  folder.write("Ferlang.SET", kSecret);
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(folder.path());
  using namespace std::string_literals;
  const std::string longValue(9000, 'a');
  const struct {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"header block over 8 KiB", "GET / HTTP/1.1\r\nX: " + longValue + "\r\n\r\n"},
      {"many small headers over 8 KiB", "GET / HTTP/1.1\r\n" + [] {
         std::string many;
         for (int i = 0; i < 1200; ++i) many += "X" + std::to_string(i) + ": 1\r\n";
         return many;
       }() + "\r\n"},
      {"endless header without a blank line", "GET / HTTP/1.1\r\n" + longValue},
      {"bare LF line ends", "GET / HTTP/1.1\nHost: a\n\n"},
      {"bare CR inside a header", "GET / HTTP/1.1\r\nHost: a\rb\r\n\r\n"},
      {"NUL byte", "GET /\0 HTTP/1.1\r\nHost: a\r\n\r\n"s},
      {"no request line", "\r\n\r\n"},
      {"garbage", "\x16\x03\x01\x02\x00\x01\x00\x01\xfc\x03\x03\r\n\r\n"s},
      {"request line without a version", "GET /\r\n\r\n"},
      {"unknown method", "BREW /chart.png HTTP/1.1\r\nHost: a\r\n\r\n"},
      {"dot-dot path", "GET /../Ferlang.SET HTTP/1.1\r\nHost: a\r\n\r\n"},
      {"percent-encoded dot-dot", "GET /%2e%2e/Ferlang.SET HTTP/1.1\r\nHost: a\r\n\r\n"},
      {"percent-encoded slash", "GET /..%2fFerlang.SET HTTP/1.1\r\nHost: a\r\n\r\n"},
      {"the file's own name", "GET /Ferlang.SET HTTP/1.1\r\nHost: a\r\n\r\n"},
      {"absolute-form target", "GET http://a/Ferlang.SET HTTP/1.1\r\nHost: a\r\n\r\n"},
      {"huge Content-Length", "GET / HTTP/1.1\r\nHost: a\r\nContent-Length: 99999999999999999\r\n\r\n"},
      {"chunked body", "GET / HTTP/1.1\r\nHost: a\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n"},
      {"POST with a body", "POST / HTTP/1.1\r\nHost: a\r\nContent-Length: 5\r\n\r\nhello"},
      {"URI over 8 KiB", "GET /" + longValue + " HTTP/1.1\r\nHost: a\r\n\r\n"},
      {"bad range", "GET /chart.png HTTP/1.1\r\nHost: a\r\nRange: bytes=z-y\r\n\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Reply reply = exchange(c.bytes);
    const int status = reply.status();
    EXPECT_TRUE((status >= 400 && status < 500) || (status == 0 && reply.closed)) << reply.bytes.substr(0, 200);
    EXPECT_TRUE(reply.closed) << "the connection ends after a refusal";
    EXPECT_FALSE(reply.has(kSecret));
    EXPECT_EQ(get("/chart.png").status(), 200) << "the next request";
  }
  std::filesystem::current_path(before);
}

TEST_F(ChartServerTest, PipelinedRequestsAreAnsweredInOrderOnOneConnection) {
  const int socket = connectTo(port_);
  sendText(socket, "GET /chart.css HTTP/1.1\r\nHost: a\r\n\r\nGET /missing HTTP/1.1\r\nHost: a\r\n\r\n"
                   "GET /chart.js HTTP/1.1\r\nHost: a\r\nConnection: close\r\n\r\n");
  const Reply reply = receive(socket, 2000ms);
  close(socket);
  const size_t css = reply.bytes.find("text/css");
  const size_t missing = reply.bytes.find("HTTP/1.1 404");
  const size_t script = reply.bytes.find("text/javascript");
  ASSERT_NE(css, std::string::npos);
  ASSERT_NE(missing, std::string::npos);
  ASSERT_NE(script, std::string::npos);
  EXPECT_LT(css, missing);
  EXPECT_LT(missing, script);
  EXPECT_TRUE(reply.closed);
}

TEST_F(ChartServerTest, AHeadSentTooSlowlyIsDroppedWhileOthersAreServed) {
  const int slow = connectTo(port_);
  const auto start = std::chrono::steady_clock::now();
  bool dropped = false;
  // One byte every 100 ms never finishes a head before the 600 ms limit.
  for (const char byte : std::string("GET / HTTP/1.1\r\nHost: aaaaaaaaaaaaaaaaaaaa")) {
    if (send(slow, &byte, 1, MSG_NOSIGNAL) != 1) {
      dropped = true;
      break;
    }
    if (receive(slow, 100ms).closed) {
      dropped = true;
      break;
    }
    EXPECT_EQ(get("/chart.css").status(), 200);
  }
  close(slow);
  EXPECT_TRUE(dropped);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
}

TEST_F(ChartServerTest, FiveHundredIdleConnectionsDoNotKeepAnotherClientWaiting) {
  std::vector<int> idle;
  for (int i = 0; i < 500; ++i) idle.push_back(connectTo(port_));
  // Half of them have started a request.
  for (size_t i = 0; i < idle.size(); i += 2) sendText(idle[i], "GET / HTTP/1.1\r\n");
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(get("/chart.png").status(), 200);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 500ms);
  for (const int socket : idle) close(socket);
}

TEST_F(ChartServerTest, EventStreamsFollowTheChartUpToTheirLimit) {
  const std::string request = "GET /events HTTP/1.1\r\nHost: a\r\n\r\n";
  const std::string firstTag = chart_.current()->etag;
  std::vector<int> streams;
  for (int i = 0; i < 3; ++i) {
    streams.push_back(connectTo(port_));
    sendText(streams.back(), request);
    const Reply opening = receive(streams.back(), 2000ms, "]}\n\n");
    EXPECT_EQ(opening.status(), 200);
    EXPECT_TRUE(opening.has("Content-Type: text/event-stream"));
    EXPECT_TRUE(opening.has("event: chart\ndata: {\"etag\":\"\\\"" + firstTag.substr(1, 16)));
  }
  EXPECT_EQ(exchange(request, 1000ms).status(), 503) << "a fourth stream";
  EXPECT_EQ(get("/chart.css").status(), 200) << "open streams hold no worker";

  // Quiet streams get comments; a change reaches every stream, and clears the error line.
  EXPECT_TRUE(receive(streams[0], 1000ms, ": still here").has(": still here"));
  chart_.setError("Error 53: File not found");
  chart_.publishPicture(2, 2, kSecondPicture, {"Watched calls: K1ABC"});
  const std::string secondTag = chart_.current()->etag;
  EXPECT_NE(secondTag, firstTag);
  for (const int stream : streams) {
    const Reply change = receive(stream, 2000ms, secondTag.substr(1, 16));
    EXPECT_TRUE(change.has(secondTag.substr(1, 16)));
    EXPECT_TRUE(change.has("\"error\":\"\""));
  }

  // A closed stream gives its place to a new one.
  close(streams.back());
  streams.pop_back();
  Reply again;
  for (int attempt = 0; attempt < 20 && again.status() != 200; ++attempt) {
    std::this_thread::sleep_for(100ms);
    const int stream = connectTo(port_);
    sendText(stream, request);
    again = receive(stream, 1000ms, "]}\n\n");
    close(stream);
  }
  EXPECT_EQ(again.status(), 200);
  for (const int stream : streams) close(stream);
}

TEST(PublishedChartTest, AnUnchangedPictureKeepsItsTagAndVersion) {
  PublishedChart chart;
  chart.publishPicture(2, 2, kFirstPicture, {"a"});
  const auto first = chart.current();
  chart.publishPicture(2, 2, kFirstPicture, {"a"});
  EXPECT_EQ(chart.current(), first) << "nothing changed, nothing published";
  chart.publishPicture(2, 2, kFirstPicture, {"b"});
  EXPECT_EQ(chart.current()->png, first->png) << "the same picture is not encoded again";
  EXPECT_GT(chart.current()->version, first->version);
  chart.publishPicture(2, 2, kSecondPicture, {"b"});
  EXPECT_NE(chart.current()->etag, first->etag);
}

TEST(ChartPageTest, TextsAreEscapedAndAPageBeforeThePictureHasNoPictureAddress) {
  ChartView view;
  view.title = "T<\x01>";
  view.texts = {"Latest spot: <K1&B\"C> at 12:00:00"};
  const std::string page = chartPage(view);
  EXPECT_NE(page.find("<title>T&lt;?&gt;</title>"), std::string::npos);
  EXPECT_NE(page.find("<p>Latest spot: &lt;K1&amp;B&quot;C&gt; at 12:00:00</p>"), std::string::npos);
  EXPECT_EQ(page.find("src="), page.find("src=\"/chart.js\"")) << "only the script has an address";
  view.etag = "\"0123456789abcdef\"";
  EXPECT_NE(chartPage(view).find("<img id=\"chart\" src=\"/chart.png?v=0123456789abcdef\""), std::string::npos);
  EXPECT_EQ(chartEvent(view),
            "event: chart\ndata: {\"etag\":\"\\\"0123456789abcdef\\\"\",\"title\":\"T<?>\",\"error\":\"\","
            "\"texts\":[\"Latest spot: <K1&B\\\"C> at 12:00:00\"]}\n\n");
}

TEST(OpenListenerTest, AnAddressInUseOrNotOwnedIsRefusedWithAReason) {
  startSockets();
  std::string problem;
  const SocketHandle first = openListener("127.0.0.1", 0, problem);
  ASSERT_NE(first, kNoSocket);
  for (const auto& [host, port] : {std::pair{std::string("127.0.0.1"), boundPort(first)},
                                   std::pair{std::string("192.0.2.1"), 0},
                                   std::pair{std::string("no-such-host.invalid"), 0}}) {
    SCOPED_TRACE(host);
    problem.clear();
    EXPECT_EQ(openListener(host, port, problem), kNoSocket);
    EXPECT_FALSE(problem.empty());
  }
  closeSocket(first);
}

}  // namespace
}  // namespace app::serve
