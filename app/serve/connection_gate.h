// Connections of the web view, from accept to close. One thread waits on every open connection
// at once; a connection gets a worker thread only when a whole request head has arrived, so
// that idle and slow clients cost no thread, and a head that is too long or too slow is refused
// without reaching the HTTP library.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/serve/sockets.h"

namespace app::serve {

struct GateLimits {
  size_t headBytes = 8192;                          // a longer request head gets 431
  std::chrono::milliseconds headTime{10000};        // from connect or the last answer to a head
  size_t connections = 768;                         // more are closed as they come
  int workers = 8;                                  // threads that answer requests
};

// A connection between requests: its socket and what it sent that is not answered yet.
struct Connection {
  SocketHandle socket = kNoSocket;
  std::string unanswered;  // begins with a whole request head when given to the handler
  size_t headEnd = 0;      // that head's length
  std::chrono::steady_clock::time_point deadline;
};

class ConnectionGate {
 public:
  // What becomes of a connection once its request is answered.
  enum class Next {
    Wait,      // back to the gate for the next request
    Close,     // closed
    TakenOver, // someone else owns the socket now (an event stream)
  };
  // Answers the request whose head begins `connection.unanswered`, on a worker thread.
  using Handler = std::function<Next(Connection& connection)>;

  // Takes the listening socket and starts the threads.
  ConnectionGate(SocketHandle listener, GateLimits limits, Handler handler);
  // Stops accepting, closes every connection and waits for the threads; a handler still
  // answering must end by itself (the caller makes long answers stoppable).
  ~ConnectionGate();
  ConnectionGate(const ConnectionGate&) = delete;
  ConnectionGate& operator=(const ConnectionGate&) = delete;

 private:
  void waitLoop();
  void workLoop();
  void acceptWaiting(std::vector<Connection>& open);
  // Reads what arrived; false when the connection has ended (and was closed).
  bool readArrived(Connection& connection);
  // Hands a connection with a whole head to the workers, or refuses it; false when it left the
  // waiting set.
  bool stillWaiting(Connection& connection);
  void refuse(Connection& connection, const char* statusLine);

  const SocketHandle listener_;
  const GateLimits limits_;
  const Handler handler_;
  WakeSocket wake_;

  std::mutex mutex_;
  std::condition_variable workAvailable_;
  std::deque<Connection> requests_;  // whole heads waiting for a worker
  std::vector<Connection> returned_; // answered, back to the waiting thread
  size_t busy_ = 0;                  // connections with the workers
  bool stopping_ = false;

  std::vector<std::thread> workers_;
  std::thread waiter_;
};

}  // namespace app::serve
