#include "app/serve/event_streams.h"

#include <cstdio>

#include "app/serve/chart_page.h"

namespace app::serve {
namespace {

// How often the thread looks for new streams and closed clients between changes.
constexpr std::chrono::milliseconds kLookInterval{250};

}  // namespace

std::string asChunk(std::string_view data) {
  char size[20];
  std::snprintf(size, sizeof size, "%zx\r\n", data.size());
  return size + std::string(data) + "\r\n";
}

EventStreams::EventStreams(PublishedChart& chart, int limit, std::chrono::milliseconds heartbeat)
    : chart_(chart), limit_(limit), heartbeat_(heartbeat), thread_([this] { run(); }) {}

EventStreams::~EventStreams() {
  stopping_.store(true);
  thread_.join();
  for (const Stream& stream : adopted_) closeSocket(stream.socket);
}

bool EventStreams::reserve() {
  if (places_.fetch_add(1) < limit_) return true;
  places_.fetch_sub(1);
  return false;
}

void EventStreams::release() { places_.fetch_sub(1); }

void EventStreams::adopt(SocketHandle socket, uint64_t sent) {
  std::lock_guard lock(mutex_);
  adopted_.push_back({socket, sent});
}

void EventStreams::run() {
  std::vector<Stream> streams;
  uint64_t version = chart_.current()->version;
  auto lastHeartbeat = std::chrono::steady_clock::now();
  while (!stopping_.load() && !chart_.closed()) {
    const std::shared_ptr<const ChartView> view = chart_.waitForChange(version, kLookInterval);
    version = view->version;
    {
      std::lock_guard lock(mutex_);
      streams.insert(streams.end(), adopted_.begin(), adopted_.end());
      adopted_.clear();
    }
    dropClosed(streams);
    // Every stream behind gets the chart as it is now, a newly adopted one too.
    send(streams, asChunk(chartEvent(*view)), [&](Stream& stream) {
      if (stream.sent == version) return false;
      stream.sent = version;
      return true;
    });
    if (std::chrono::steady_clock::now() - lastHeartbeat >= heartbeat_) {
      lastHeartbeat = std::chrono::steady_clock::now();
      send(streams, asChunk(": still here\n\n"), [](Stream&) { return true; });
    }
  }
  for (const Stream& stream : streams) closeSocket(stream.socket);
}

void EventStreams::send(std::vector<Stream>& streams, const std::string& chunk,
                        const std::function<bool(Stream&)>& wanted) {
  std::erase_if(streams, [&](Stream& stream) {
    if (!wanted(stream)) return false;
    // An event is a few hundred bytes; a client that cannot take them at once is not reading.
    if (sendAll(stream.socket, chunk.data(), chunk.size(), 0)) return false;
    closeSocket(stream.socket);
    release();
    return true;
  });
}

void EventStreams::dropClosed(std::vector<Stream>& streams) {
  std::vector<Watched> watched;
  for (const Stream& stream : streams) watched.push_back({stream.socket});
  if (watched.empty() || !waitReadable(watched, 0)) return;
  size_t i = 0;
  std::erase_if(streams, [&](const Stream& stream) {
    if (!watched[i++].ready) return false;
    char discard[512];
    const long received = receiveSome(stream.socket, discard, sizeof discard);
    if (received > 0 || received == kWouldBlock) return false;  // a client may say anything
    closeSocket(stream.socket);
    release();
    return true;
  });
}

}  // namespace app::serve
