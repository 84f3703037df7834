// The web view's open event streams. A stream leaves the worker that opened it once its
// headers and first event are written, and is kept here, so that an open page costs no thread:
// one thread writes every change of the chart to every stream, and a comment now and then so
// that a vanished client is noticed. A stream that cannot take an event at once, or whose client
// has gone, is closed; the browser opens a new one by itself.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <mutex>
#include <thread>
#include <vector>

#include "app/serve/published_chart.h"
#include "app/serve/sockets.h"

namespace app::serve {

class EventStreams {
 public:
  EventStreams(PublishedChart& chart, int limit, std::chrono::milliseconds heartbeat);
  // Closes every stream; the chart must be closed first, or the thread waits for its heartbeat.
  ~EventStreams();
  EventStreams(const EventStreams&) = delete;
  EventStreams& operator=(const EventStreams&) = delete;

  // A place for one more stream; false when `limit` are open or reserved. Any thread.
  bool reserve();
  // Gives back a place that was not taken.
  void release();
  // Takes over a reserved stream that has had its headers and the event of version `sent`.
  void adopt(SocketHandle socket, uint64_t sent);

 private:
  struct Stream {
    SocketHandle socket;
    uint64_t sent;
  };

  void run();
  // Writes `chunk` to the streams `wanted` picks; closes those that cannot take it.
  void send(std::vector<Stream>& streams, const std::string& chunk,
            const std::function<bool(Stream&)>& wanted);
  // Closes the streams whose client has closed its end.
  void dropClosed(std::vector<Stream>& streams);

  PublishedChart& chart_;
  const int limit_;
  const std::chrono::milliseconds heartbeat_;
  std::atomic<int> places_{0};
  std::mutex mutex_;
  std::vector<Stream> adopted_;  // not yet seen by the thread
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

// `data` as one chunk of a chunked body.
std::string asChunk(std::string_view data);

}  // namespace app::serve
