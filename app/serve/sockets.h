// Sockets as the web view uses them, the same on POSIX and Windows: a listening socket, accepted
// connections that never block the thread that polls them, and sends that wait a bounded time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace app::serve {

#ifdef _WIN32
using SocketHandle = uintptr_t;  // a SOCKET
#else
using SocketHandle = int;
#endif
inline constexpr SocketHandle kNoSocket = static_cast<SocketHandle>(-1);

// Once per process, before any other call: starts Winsock, or makes a write to a closed
// connection an error instead of SIGPIPE.
void startSockets();

// A listening socket on `host` (a name or a numeric address) and `port` (0: any free port),
// non-blocking; kNoSocket with the reason in `problem` when it cannot be had.
SocketHandle openListener(const std::string& host, int port, std::string& problem);

// The port a bound socket has.
int boundPort(SocketHandle socket);

// One waiting connection, made non-blocking; kNoSocket when none waits or accepting failed.
SocketHandle acceptConnection(SocketHandle listener);

void closeSocket(SocketHandle socket);

// What recv gives now: the byte count, 0 when the peer has closed, kWouldBlock when nothing has
// arrived, kFailed on an error.
inline constexpr long kWouldBlock = -1;
inline constexpr long kFailed = -2;
long receiveSome(SocketHandle socket, char* buffer, size_t size);

// Sends every byte, waiting up to `timeoutMs` each time the peer's window is full; false when
// the peer is gone or too slow.
bool sendAll(SocketHandle socket, const char* bytes, size_t size, int timeoutMs);

// Whether the socket can take more bytes within `timeoutMs`.
bool waitWritable(SocketHandle socket, int timeoutMs);

// One socket to wait on and what the wait found.
struct Watched {
  SocketHandle socket = kNoSocket;
  bool ready = false;  // readable, closed by the peer, or failed
};
// Waits until one socket is ready or `timeoutMs` passes; false when the wait itself failed.
bool waitReadable(std::vector<Watched>& sockets, int timeoutMs);

// "address port" of either end of a connection, for the HTTP library's request record.
void peerAddress(SocketHandle socket, std::string& address, int& port);
void localAddress(SocketHandle socket, std::string& address, int& port);

// A datagram socket connected to itself: a thread waiting on sockets can be woken by another
// thread sending it a byte. Works where pipes cannot be polled (Windows).
class WakeSocket {
 public:
  WakeSocket();
  ~WakeSocket();
  WakeSocket(const WakeSocket&) = delete;
  WakeSocket& operator=(const WakeSocket&) = delete;

  SocketHandle socket() const { return socket_; }
  void wake();   // any thread
  void drain();  // the waiting thread, after the socket was ready

 private:
  SocketHandle socket_ = kNoSocket;
};

}  // namespace app::serve
