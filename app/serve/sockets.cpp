#include "app/serve/sockets.h"

#include <chrono>
#include <cstring>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <csignal>
#include <cerrno>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace app::serve {
namespace {

// The few places where Winsock and POSIX sockets differ.
#ifdef _WIN32
using PollEntry = WSAPOLLFD;
using SendLength = int;
int pollSockets(PollEntry* entries, size_t count, int timeoutMs) {
  return WSAPoll(entries, static_cast<ULONG>(count), timeoutMs);
}
bool lastCallWouldBlock() { return WSAGetLastError() == WSAEWOULDBLOCK; }
bool lastCallInterrupted() { return WSAGetLastError() == WSAEINTR; }
void makeNonBlocking(SocketHandle socket) {
  u_long on = 1;
  ioctlsocket(socket, FIONBIO, &on);
}
std::string lastError() {
  char text[256] = {};
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                 static_cast<DWORD>(WSAGetLastError()), 0, text, sizeof text, nullptr);
  std::string message(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                              message.back() == ' ' || message.back() == '.')) {
    message.pop_back();
  }
  return message;
}
// Windows lets a second socket bind a port in use unless the first asked for it alone.
void claimAddress(SocketHandle socket) {
  BOOL on = TRUE;
  setsockopt(socket, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&on), sizeof on);
}
constexpr int kNoSignalFlag = 0;
#else
using PollEntry = pollfd;
using SendLength = size_t;
int pollSockets(PollEntry* entries, size_t count, int timeoutMs) {
  return poll(entries, count, timeoutMs);
}
bool lastCallWouldBlock() { return errno == EAGAIN || errno == EWOULDBLOCK; }
bool lastCallInterrupted() { return errno == EINTR; }
void makeNonBlocking(SocketHandle socket) {
  fcntl(socket, F_SETFL, fcntl(socket, F_GETFL) | O_NONBLOCK);
  fcntl(socket, F_SETFD, FD_CLOEXEC);  // an editor started from the menu inherits none
}
std::string lastError() { return std::strerror(errno); }
// A restarted server can bind its port again at once, while old connections linger.
void claimAddress(SocketHandle socket) {
  int on = 1;
  setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
}
constexpr int kNoSignalFlag = MSG_NOSIGNAL;
#endif

void describe(const sockaddr_storage& address, std::string& text, int& port) {
  char buffer[INET6_ADDRSTRLEN] = {};
  if (address.ss_family == AF_INET6) {
    const auto& v6 = reinterpret_cast<const sockaddr_in6&>(address);
    inet_ntop(AF_INET6, &v6.sin6_addr, buffer, sizeof buffer);
    port = ntohs(v6.sin6_port);
  } else {
    const auto& v4 = reinterpret_cast<const sockaddr_in&>(address);
    inet_ntop(AF_INET, &v4.sin_addr, buffer, sizeof buffer);
    port = ntohs(v4.sin_port);
  }
  text = buffer;
}

int millisecondsLeft(std::chrono::steady_clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      deadline - std::chrono::steady_clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

}  // namespace

void startSockets() {
#ifdef _WIN32
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
#else
  std::signal(SIGPIPE, SIG_IGN);
#endif
}

SocketHandle openListener(const std::string& host, int port, std::string& problem) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE;
  addrinfo* found = nullptr;
  const std::string service = std::to_string(port);
  if (const int error = getaddrinfo(host.c_str(), service.c_str(), &hints, &found); error != 0) {
    problem = gai_strerror(error);
    return kNoSocket;
  }
  SocketHandle listener = kNoSocket;
  for (addrinfo* candidate = found; candidate != nullptr; candidate = candidate->ai_next) {
    listener = ::socket(candidate->ai_family, candidate->ai_socktype, candidate->ai_protocol);
    if (listener == kNoSocket) {
      problem = lastError();
      continue;
    }
    claimAddress(listener);
    if (candidate->ai_family == AF_INET6) {
      // "[::]" means every address of both families, as it does for most servers.
      int off = 0;
      setsockopt(listener, IPPROTO_IPV6, IPV6_V6ONLY, reinterpret_cast<const char*>(&off), sizeof off);
    }
    if (bind(listener, candidate->ai_addr, static_cast<int>(candidate->ai_addrlen)) == 0 &&
        listen(listener, SOMAXCONN) == 0) {
      break;
    }
    problem = lastError();
    closeSocket(listener);
    listener = kNoSocket;
  }
  freeaddrinfo(found);
  if (listener != kNoSocket) makeNonBlocking(listener);
  return listener;
}

int boundPort(SocketHandle socket) {
  std::string address;
  int port = 0;
  localAddress(socket, address, port);
  return port;
}

SocketHandle acceptConnection(SocketHandle listener) {
  const SocketHandle connection = accept(listener, nullptr, nullptr);
  if (connection == kNoSocket) return kNoSocket;
  makeNonBlocking(connection);
  int on = 1;  // small responses go out at once
  setsockopt(connection, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
  return connection;
}

void closeSocket(SocketHandle socket) {
#ifdef _WIN32
  closesocket(socket);
#else
  close(socket);
#endif
}

long receiveSome(SocketHandle socket, char* buffer, size_t size) {
  for (;;) {
    const auto received = recv(socket, buffer, static_cast<SendLength>(size), 0);
    if (received >= 0) return static_cast<long>(received);
    if (lastCallInterrupted()) continue;
    return lastCallWouldBlock() ? kWouldBlock : kFailed;
  }
}

bool waitWritable(SocketHandle socket, int timeoutMs) {
  PollEntry entry{};
  entry.fd = socket;
  entry.events = POLLOUT;
  const int ready = pollSockets(&entry, 1, timeoutMs);
  return ready == 1 && (entry.revents & (POLLERR | POLLHUP | POLLNVAL)) == 0;
}

bool sendAll(SocketHandle socket, const char* bytes, size_t size, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (size > 0) {
    const auto sent = send(socket, bytes, static_cast<SendLength>(size), kNoSignalFlag);
    if (sent > 0) {
      bytes += sent;
      size -= static_cast<size_t>(sent);
    } else if (sent < 0 && lastCallInterrupted()) {
      continue;
    } else if (sent < 0 && lastCallWouldBlock()) {
      if (!waitWritable(socket, millisecondsLeft(deadline))) return false;
    } else {
      return false;
    }
  }
  return true;
}

bool waitReadable(std::vector<Watched>& sockets, int timeoutMs) {
  std::vector<PollEntry> entries(sockets.size());
  for (size_t i = 0; i < sockets.size(); ++i) {
    entries[i].fd = sockets[i].socket;
    entries[i].events = POLLIN;
  }
  const int ready = pollSockets(entries.data(), entries.size(), timeoutMs);
  if (ready < 0 && !lastCallInterrupted()) return false;
  for (size_t i = 0; i < sockets.size(); ++i) {
    sockets[i].ready = ready > 0 && entries[i].revents != 0;
  }
  return true;
}

void peerAddress(SocketHandle socket, std::string& address, int& port) {
  sockaddr_storage storage{};
  socklen_t length = sizeof storage;
  getpeername(socket, reinterpret_cast<sockaddr*>(&storage), &length);
  describe(storage, address, port);
}

void localAddress(SocketHandle socket, std::string& address, int& port) {
  sockaddr_storage storage{};
  socklen_t length = sizeof storage;
  getsockname(socket, reinterpret_cast<sockaddr*>(&storage), &length);
  describe(storage, address, port);
}

WakeSocket::WakeSocket() {
  socket_ = ::socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in self{};
  self.sin_family = AF_INET;
  self.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof self;
  bind(socket_, reinterpret_cast<sockaddr*>(&self), length);
  getsockname(socket_, reinterpret_cast<sockaddr*>(&self), &length);
  connect(socket_, reinterpret_cast<sockaddr*>(&self), length);
  makeNonBlocking(socket_);
}

WakeSocket::~WakeSocket() { closeSocket(socket_); }

void WakeSocket::wake() {
  const char byte = 1;
  send(socket_, &byte, 1, kNoSignalFlag);
}

void WakeSocket::drain() {
  char bytes[64];
  while (receiveSome(socket_, bytes, sizeof bytes) > 0) {
  }
}

}  // namespace app::serve
