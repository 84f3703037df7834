// The web view's HTTP side: the routes, their headers and limits, on connections the gate
// hands over. The HTTP library parses each request and writes each answer; every answer comes
// from memory, nothing on disk is ever served.
//
//   GET /            the page          GET /chart.png   the picture (ETag, 304)
//   GET /chart.css   its style         GET /events      server-sent events, one per change
//   GET /chart.js    its script        GET /favicon.ico 204 (the page has no icon)
// HEAD of each; any other method 405, any other path 404.
#pragma once

#include <atomic>
#include <memory>

#include "app/serve/connection_gate.h"
#include "app/serve/event_streams.h"
#include "app/serve/published_chart.h"

namespace app::serve {

struct ServerLimits {
  GateLimits gate;
  int eventStreams = 64;                          // more get 503
  std::chrono::milliseconds writeTime{10000};     // a client that reads slower is dropped
  std::chrono::milliseconds heartbeat{15000};     // a comment on a quiet event stream
};

class ChartServer {
 public:
  // Serves `chart` on `listener` (taken over) until destroyed.
  ChartServer(SocketHandle listener, PublishedChart& chart, ServerLimits limits = {});
  ~ChartServer();
  ChartServer(const ChartServer&) = delete;
  ChartServer& operator=(const ChartServer&) = delete;

 private:
  class Routes;
  std::unique_ptr<EventStreams> streams_;
  std::unique_ptr<Routes> routes_;
  std::unique_ptr<ConnectionGate> gate_;
};

}  // namespace app::serve
