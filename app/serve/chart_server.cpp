#include "app/serve/chart_server.h"

#include <httplib.h>

#include <algorithm>
#include <cstring>

#include "app/serve/chart_page.h"

namespace app::serve {
namespace {

// One request's head as the gate framed it, then the connection's socket for the answer. The
// library reads nothing past the head: a body is refused before it would be read, and the next
// request stays with the gate.
class FramedStream final : public httplib::Stream {
 public:
  FramedStream(const Connection& connection, int writeTimeoutMs)
      : socket_(connection.socket),
        head_(connection.unanswered.data(), connection.headEnd),
        writeTimeoutMs_(writeTimeoutMs) {}

  bool is_readable() const override { return read_ < head_.size(); }
  bool is_writable() const override { return !failed_ && waitWritable(socket_, writeTimeoutMs_); }

  ssize_t read(char* ptr, size_t size) override {
    const size_t count = std::min(size, head_.size() - read_);
    std::memcpy(ptr, head_.data() + read_, count);
    read_ += count;
    return static_cast<ssize_t>(count);
  }

  ssize_t write(const char* ptr, size_t size) override {
    if (failed_ || !sendAll(socket_, ptr, size, writeTimeoutMs_)) {
      failed_ = true;
      return -1;
    }
    return static_cast<ssize_t>(size);
  }

  void get_remote_ip_and_port(std::string& ip, int& port) const override {
    peerAddress(socket_, ip, port);
  }
  void get_local_ip_and_port(std::string& ip, int& port) const override {
    localAddress(socket_, ip, port);
  }
  socket_t socket() const override { return static_cast<socket_t>(socket_); }

  bool failed() const { return failed_; }

 private:
  SocketHandle socket_;
  std::string_view head_;
  size_t read_ = 0;
  int writeTimeoutMs_;
  bool failed_ = false;
};

// The status of the answer just written on this thread (the library reports it to its logger).
thread_local int answeredStatus = 0;

// Set when the answer just written on this thread opened an event stream, to hand over.
struct HandedOver {
  bool stream = false;
  uint64_t version = 0;  // of the event it had
};
thread_local HandedOver handedOver;

constexpr const char* kSecurityPolicy =
    "default-src 'self'; img-src 'self'; style-src 'self'; script-src 'self'; "
    "connect-src 'self'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'";

bool hasBody(const httplib::Request& request) {
  return request.has_header("Transfer-Encoding") ||
         (request.has_header("Content-Length") && request.get_header_value("Content-Length") != "0");
}

}  // namespace

// The library's server, used only to parse requests and write answers on framed streams; it
// never listens or accepts itself.
class ChartServer::Routes final : public httplib::Server {
 public:
  Routes(SocketHandle listener, PublishedChart& chart, EventStreams& streams,
         const ServerLimits& limits)
      : chart_(chart), streams_(streams), limits_(limits) {
    // The library ends streamed answers once its listening socket is gone; this one stands in.
    svr_sock_ = static_cast<socket_t>(listener);
    const auto headSeconds = std::chrono::duration_cast<std::chrono::seconds>(limits.gate.headTime);
    set_keep_alive_timeout(std::max<time_t>(1, static_cast<time_t>(headSeconds.count())));
    set_keep_alive_max_count(1000);
    set_payload_max_length(0);
    set_default_headers({{"Cache-Control", "no-cache"},
                         {"X-Content-Type-Options", "nosniff"},
                         {"Content-Security-Policy", kSecurityPolicy},
                         {"Referrer-Policy", "no-referrer"}});
    set_logger([](const httplib::Request&, const httplib::Response& response) {
      answeredStatus = response.status;
    });
    set_pre_routing_handler([](const httplib::Request& request, httplib::Response& response) {
      if (request.method != "GET" && request.method != "HEAD") {
        response.status = 405;
        response.set_header("Allow", "GET, HEAD");
        return HandlerResponse::Handled;
      }
      if (hasBody(request)) {
        response.status = 413;
        return HandlerResponse::Handled;
      }
      return HandlerResponse::Unhandled;
    });
    Get("/", [this](const httplib::Request&, httplib::Response& response) {
      response.set_content(chartPage(*chart_.current()), "text/html; charset=utf-8");
    });
    Get("/chart.css", [](const httplib::Request&, httplib::Response& response) {
      response.set_content(std::string(kChartStyle), "text/css; charset=utf-8");
    });
    Get("/chart.js", [](const httplib::Request&, httplib::Response& response) {
      response.set_content(std::string(kChartScript), "text/javascript; charset=utf-8");
    });
    Get("/chart.png", [this](const httplib::Request& request, httplib::Response& response) {
      servePicture(request, response);
    });
    Get("/events", [this](const httplib::Request& request, httplib::Response& response) {
      serveEvents(request, response);
    });
    // Browsers ask for an icon on their own; "no content" keeps their consoles free of errors.
    Get("/favicon.ico", [](const httplib::Request&, httplib::Response& response) {
      response.status = 204;
    });
  }

  // Answers the request at the head of `connection`.
  ConnectionGate::Next answer(Connection& connection) {
    FramedStream stream(connection, static_cast<int>(limits_.writeTime.count()));
    bool closeAsked = false;
    answeredStatus = 0;
    handedOver = {};
    const bool written = process_request(stream, false, closeAsked, nullptr);
    if (handedOver.stream) {
      streams_.adopt(connection.socket, handedOver.version);
      return ConnectionGate::Next::TakenOver;
    }
    // After a refusal the rest of what the client sent (an unread body, say) cannot be trusted
    // to start a request; a missing page or a full house is no refusal of the request itself.
    const bool wellFormed = answeredStatus > 0 &&
                            (answeredStatus < 400 || answeredStatus == 404 || answeredStatus == 503);
    return written && !closeAsked && !stream.failed() && wellFormed ? ConnectionGate::Next::Wait
                                                                     : ConnectionGate::Next::Close;
  }

  void stop() {
    svr_sock_ = INVALID_SOCKET;
    chart_.close();
  }

 private:
  void servePicture(const httplib::Request& request, httplib::Response& response) {
    const std::shared_ptr<const ChartView> view = chart_.current();
    if (!view->png) {
      response.status = 503;
      response.set_header("Retry-After", "10");
      return;
    }
    response.set_header("ETag", view->etag);
    if (request.get_header_value("If-None-Match") == view->etag) {
      response.status = 304;
      return;
    }
    response.set_content(*view->png, "image/png");
  }

  void serveEvents(const httplib::Request& request, httplib::Response& response) {
    if (request.method == "HEAD") {
      response.set_header("Content-Type", "text/event-stream");
      return;
    }
    if (!streams_.reserve()) {
      response.status = 503;
      response.set_header("Retry-After", "30");
      return;
    }
    // The first event goes out here; then the library is told the answer has ended (the
    // provider returns false, which writes nothing more) and the stream is handed over.
    response.set_chunked_content_provider(
        "text/event-stream",
        [this](size_t, httplib::DataSink& sink) {
          const std::shared_ptr<const ChartView> view = chart_.current();
          const std::string event = chartEvent(*view);
          if (sink.write(event.data(), event.size())) handedOver = {true, view->version};
          return false;
        },
        [this](bool) {
          if (!handedOver.stream) streams_.release();
        });
  }

  PublishedChart& chart_;
  EventStreams& streams_;
  const ServerLimits limits_;
};

ChartServer::ChartServer(SocketHandle listener, PublishedChart& chart, ServerLimits limits)
    : streams_(std::make_unique<EventStreams>(chart, limits.eventStreams, limits.heartbeat)),
      routes_(std::make_unique<Routes>(listener, chart, *streams_, limits)) {
  gate_ = std::make_unique<ConnectionGate>(
      listener, limits.gate, [this](Connection& connection) { return routes_->answer(connection); });
}

ChartServer::~ChartServer() {
  routes_->stop();  // the chart closes, so that the event streams end
  gate_.reset();
  streams_.reset();
}

}  // namespace app::serve
