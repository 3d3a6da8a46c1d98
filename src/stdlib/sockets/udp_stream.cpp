// UDP streams over datagram sockets.
#include "stdlib/sockets/udp_stream.h"

#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "stdlib/sockets/socket_wait.h"

namespace korvo::stdlib {

int bindUdp(std::uint16_t port) {
  const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  const sockaddr_in address = toSockaddr({INADDR_ANY, port});
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

UdpStream::UdpStream(int fd) : fd_(fd), local_(localEndpoint(fd)), sender_(local_), destination_(local_) {}

UdpStream::~UdpStream() { closeSocket(fd_, failed_); }

std::int32_t UdpStream::read(void* buffer, std::int32_t size) {
  if (failed_ || size <= 0) return 0;
  const std::size_t n = std::min(static_cast<std::size_t>(size), incoming_.size() - readAt_);
  std::memcpy(buffer, incoming_.data() + readAt_, n);
  readAt_ += n;
  return static_cast<std::int32_t>(n);
}

std::int32_t UdpStream::write(const void* buffer, std::int32_t size) {
  if (failed_ || size <= 0) return 0;
  const auto* bytes = static_cast<const std::uint8_t*>(buffer);
  outgoing_.insert(outgoing_.end(), bytes, bytes + size);
  return size;
}

std::int32_t UdpStream::avail() { return failed_ ? 0 : static_cast<std::int32_t>(incoming_.size() - readAt_); }

std::int32_t UdpStream::eof() {
  if (failed_) return -1;
  return readAt_ == incoming_.size() ? 1 : 0;
}

std::uint32_t UdpStream::receive(std::uint32_t timeoutMs) {
  if (failed_) return 0;
  SocketTimer timer(timeoutMs);
  for (;;) {
    const WaitResult waited = waitReadable(fd_, timer);
    if (waited == WaitResult::kTimedOut) return 0;
    int size = 0;
    if (waited == WaitResult::kFailed || ::ioctl(fd_, FIONREAD, &size) != 0) {
      failed_ = true;
      return 0;
    }
    incoming_.resize(static_cast<std::size_t>(std::max(size, 0)));
    sockaddr_in from{};
    socklen_t fromLength = sizeof from;
    const ssize_t got = ::recvfrom(fd_, incoming_.data(), incoming_.size(), MSG_DONTWAIT,
                                   reinterpret_cast<sockaddr*>(&from), &fromLength);
    if (got >= 0) {
      incoming_.resize(static_cast<std::size_t>(got));
      readAt_ = 0;
      sender_ = fromSockaddr(from);
      return sender_.ip;
    }
    // A datagram that vanished, or an error report in its place: wait on with the time left.
    incoming_.clear();
    readAt_ = 0;
    if (timer.remaining() == 0) return 0;
  }
}

void UdpStream::send(std::uint32_t ip, std::uint16_t port) {
  if (failed_) return;
  destination_ = {ip, port != 0 ? port : local_.port};
  const sockaddr_in to = toSockaddr(destination_);
  ssize_t sent;
  do {
    sent = ::sendto(fd_, outgoing_.data(), outgoing_.size(), MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&to),
                    sizeof to);
  } while (sent < 0 && errno == EINTR);
  if (sent == static_cast<ssize_t>(outgoing_.size())) {
    outgoing_.clear();
  } else {
    failed_ = true;
  }
}

}  // namespace korvo::stdlib
