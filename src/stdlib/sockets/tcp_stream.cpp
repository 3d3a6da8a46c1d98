// TCP streams and servers over stream sockets.
#include "stdlib/sockets/tcp_stream.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "stdlib/sockets/sockets.h"
#include "stdlib/sockets/socket_wait.h"

namespace korvo::stdlib {
namespace {

constexpr int kBacklog = 5;

bool setBlocking(int fd, bool blocking) {
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0) return false;
  return ::fcntl(fd, F_SETFL, blocking ? flags & ~O_NONBLOCK : flags | O_NONBLOCK) == 0;
}

}  // namespace

int connectTcp(Endpoint server, std::uint16_t localPort) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  const auto fail = [fd] {
    ::close(fd);
    return -1;
  };
  if (localPort != 0) {
    const sockaddr_in local = toSockaddr({INADDR_ANY, localPort});
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) return fail();
  }
  // Connecting without blocking lets the wait for the answer be bounded.
  if (!setBlocking(fd, false)) return fail();
  const sockaddr_in to = toSockaddr(server);
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0) {
    if (errno != EINPROGRESS) return fail();
    SocketTimer timer(kLookupAndConnectBoundMs);
    if (waitWritable(fd, timer) != WaitResult::kReady) return fail();
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) return fail();
  }
  if (!setBlocking(fd, true)) return fail();
  return fd;
}

int listenTcp(std::uint16_t port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  const sockaddr_in address = toSockaddr({INADDR_ANY, port});
  // Not blocking, so a connection that goes away between the wait and the accept cannot
  // hold the program.
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, kBacklog) != 0 ||
      !setBlocking(fd, false)) {
    ::close(fd);
    return -1;
  }
  return fd;
}

TcpStream::TcpStream(Sockets& owner, int fd, TcpServer* server)
    : owner_(owner), fd_(fd), server_(server), remote_(peerEndpoint(fd)), local_(localEndpoint(fd)) {}

TcpStream::~TcpStream() { closeSocket(fd_, state_ == -1); }

std::int32_t TcpStream::read(void* buffer, std::int32_t size) {
  if (state_ != 0 || size <= 0) return 0;
  auto* bytes = static_cast<char*>(buffer);
  SocketTimer timer(owner_.tcpReadTimeoutMs);
  // Nothing can come from a peer in this process while the program waits here.
  const bool outsideCanAnswer = !owner_.ownsTcpEndpoint(remote_);
  std::int32_t got = 0;
  while (got < size) {
    if (waitReadable(fd_, timer, outsideCanAnswer) != WaitResult::kReady) {
      state_ = -1;
      break;
    }
    const ssize_t n = ::recv(fd_, bytes + got, static_cast<std::size_t>(size - got), MSG_NOSIGNAL);
    if (n > 0) {
      got += static_cast<std::int32_t>(n);
    } else if (n == 0) {
      state_ = 1;
      break;
    } else if (errno != EINTR) {
      state_ = -1;
      break;
    }
  }
  return got;
}

std::int32_t TcpStream::write(const void* buffer, std::int32_t size) {
  if (state_ != 0 || size <= 0) return 0;
  const auto* bytes = static_cast<const char*>(buffer);
  std::int32_t sent = 0;
  while (sent < size) {
    // A peer that has gone fails the stream instead of raising SIGPIPE.
    const ssize_t n = ::send(fd_, bytes + sent, static_cast<std::size_t>(size - sent), MSG_NOSIGNAL);
    if (n >= 0) {
      sent += static_cast<std::int32_t>(n);
    } else if (errno != EINTR) {
      state_ = -1;
      return 0;
    }
  }
  return sent;
}

std::int32_t TcpStream::avail() {
  if (state_ != 0) return 0;
  int waiting = 0;
  if (::ioctl(fd_, FIONREAD, &waiting) != 0) {
    state_ = -1;
    return 0;
  }
  return waiting;
}

std::int32_t TcpStream::eof() {
  if (state_ != 0) return state_;
  SocketTimer now(0);
  switch (waitReadable(fd_, now, false)) {
    case WaitResult::kTimedOut: return 0;
    case WaitResult::kFailed: state_ = -1; return -1;
    case WaitResult::kReady: break;
  }
  int waiting = 0;
  if (::ioctl(fd_, FIONREAD, &waiting) != 0) {
    state_ = -1;
    return -1;
  }
  if (waiting > 0) return 0;
  state_ = 1;
  return 1;
}

TcpServer::TcpServer(int fd) : fd_(fd), local_(localEndpoint(fd)) {}

TcpServer::~TcpServer() { closeSocket(fd_, failed_); }

int TcpServer::accept(std::uint32_t timeoutMs) {
  if (failed_) return -1;
  SocketTimer timer(timeoutMs);
  switch (waitReadable(fd_, timer)) {
    case WaitResult::kTimedOut: return -1;
    case WaitResult::kFailed: failed_ = true; return -1;
    case WaitResult::kReady: break;
  }
  return ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
}

}  // namespace korvo::stdlib
