#include "app/serve/connection_gate.h"

#include <algorithm>

#include "app/serve/request_framing.h"

namespace app::serve {
namespace {

using Clock = std::chrono::steady_clock;

// After a failed accept (out of descriptors, say) the listener stays readable; it is left alone
// this long rather than spun on.
constexpr auto kAcceptPause = std::chrono::milliseconds(100);
// The longest single wait, so that a stop is seen even if a wake is lost.
constexpr int kLongestWaitMs = 1000;

int millisecondsUntil(Clock::time_point when) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(when - Clock::now());
  return static_cast<int>(std::clamp<long long>(left.count(), 0, kLongestWaitMs));
}

}  // namespace

ConnectionGate::ConnectionGate(SocketHandle listener, GateLimits limits, Handler handler)
    : listener_(listener), limits_(limits), handler_(std::move(handler)) {
  for (int i = 0; i < limits_.workers; ++i) workers_.emplace_back([this] { workLoop(); });
  waiter_ = std::thread([this] { waitLoop(); });
}

ConnectionGate::~ConnectionGate() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  workAvailable_.notify_all();
  wake_.wake();
  waiter_.join();
  for (std::thread& worker : workers_) worker.join();
  for (Connection& connection : requests_) closeSocket(connection.socket);
  for (Connection& connection : returned_) closeSocket(connection.socket);
  closeSocket(listener_);
}

void ConnectionGate::waitLoop() {
  std::vector<Connection> open;
  std::vector<Watched> watched;
  Clock::time_point acceptAgain{};
  std::vector<Connection> answered;
  for (;;) {
    {
      std::lock_guard lock(mutex_);
      if (stopping_) break;
      answered.swap(returned_);
    }
    // An answered connection may already hold its next (pipelined) head.
    for (Connection& connection : answered) {
      if (stillWaiting(connection)) open.push_back(std::move(connection));
    }
    answered.clear();

    const bool accepting = Clock::now() >= acceptAgain;
    watched.assign(1, {wake_.socket()});
    if (accepting) watched.push_back({listener_});
    Clock::time_point nextDeadline = Clock::now() + std::chrono::milliseconds(kLongestWaitMs);
    for (const Connection& connection : open) {
      watched.push_back({connection.socket});
      nextDeadline = std::min(nextDeadline, connection.deadline);
    }
    if (!accepting) nextDeadline = std::min(nextDeadline, acceptAgain);
    waitReadable(watched, millisecondsUntil(nextDeadline));

    if (watched[0].ready) wake_.drain();
    const size_t first = accepting ? 2 : 1;
    for (size_t i = open.size(); i-- > 0;) {
      if (!watched[first + i].ready) continue;
      if (!readArrived(open[i]) || !stillWaiting(open[i])) open.erase(open.begin() + static_cast<long>(i));
    }
    // A head too slow to arrive is dropped, and so is a connection idle for as long.
    std::erase_if(open, [](const Connection& connection) {
      if (Clock::now() < connection.deadline) return false;
      closeSocket(connection.socket);
      return true;
    });
    if (accepting && watched[1].ready) {
      const size_t before = open.size();
      acceptWaiting(open);
      if (open.size() == before) acceptAgain = Clock::now() + kAcceptPause;
    }
  }
  for (Connection& connection : open) closeSocket(connection.socket);
}

void ConnectionGate::acceptWaiting(std::vector<Connection>& open) {
  for (;;) {
    const SocketHandle socket = acceptConnection(listener_);
    if (socket == kNoSocket) return;
    size_t busy;
    {
      std::lock_guard lock(mutex_);
      busy = busy_ + returned_.size();
    }
    if (open.size() + busy >= limits_.connections) {
      closeSocket(socket);  // the oldest keep their place
      continue;
    }
    Connection connection;
    connection.socket = socket;
    connection.deadline = Clock::now() + limits_.headTime;
    open.push_back(std::move(connection));
  }
}

bool ConnectionGate::readArrived(Connection& connection) {
  char buffer[4096];
  for (;;) {
    const long received = receiveSome(connection.socket, buffer, sizeof buffer);
    if (received == kWouldBlock) return true;
    if (received <= 0) {
      closeSocket(connection.socket);
      return false;
    }
    connection.unanswered.append(buffer, static_cast<size_t>(received));
    // Enough to decide; the rest waits in the socket.
    if (connection.unanswered.size() > limits_.headBytes) return true;
  }
}

bool ConnectionGate::stillWaiting(Connection& connection) {
  const FramedHead head = frameRequestHead(connection.unanswered, limits_.headBytes);
  switch (head.framing) {
    case Framing::Incomplete:
      return true;
    case Framing::TooLarge:
      refuse(connection, "431 Request Header Fields Too Large");
      return false;
    case Framing::Malformed:
      refuse(connection, "400 Bad Request");
      return false;
    case Framing::Complete:
      break;
  }
  connection.headEnd = head.headEnd;
  {
    std::lock_guard lock(mutex_);
    requests_.push_back(std::move(connection));
    ++busy_;
  }
  workAvailable_.notify_one();
  return false;
}

void ConnectionGate::refuse(Connection& connection, const char* statusLine) {
  const std::string answer = std::string("HTTP/1.1 ") + statusLine +
                             "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
  sendAll(connection.socket, answer.data(), answer.size(), 0);  // best effort: it closes anyway
  closeSocket(connection.socket);
}

void ConnectionGate::workLoop() {
  for (;;) {
    Connection connection;
    {
      std::unique_lock lock(mutex_);
      workAvailable_.wait(lock, [&] { return stopping_ || !requests_.empty(); });
      if (stopping_) return;
      connection = std::move(requests_.front());
      requests_.pop_front();
    }
    const Next next = handler_(connection);
    std::lock_guard lock(mutex_);
    --busy_;
    if (next == Next::TakenOver) continue;
    if (next == Next::Close || stopping_) {
      closeSocket(connection.socket);
      continue;
    }
    connection.unanswered.erase(0, connection.headEnd);
    connection.headEnd = 0;
    connection.deadline = Clock::now() + limits_.headTime;
    returned_.push_back(std::move(connection));
    wake_.wake();
  }
}

}  // namespace app::serve
