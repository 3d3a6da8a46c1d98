// IPv4 endpoints as the sockets commands see them: address and port in host byte order.
#pragma once

#include <netinet/in.h>

#include <cstdint>

namespace korvo::stdlib {

struct Endpoint {
  std::uint32_t ip = 0;
  std::uint16_t port = 0;
  bool operator==(const Endpoint&) const = default;
};

sockaddr_in toSockaddr(Endpoint endpoint);
Endpoint fromSockaddr(const sockaddr_in& address);
// The socket's own address (getsockname) and its peer's (getpeername); zeros on failure.
Endpoint localEndpoint(int fd);
Endpoint peerEndpoint(int fd);

// Closes a socket; one that failed is closed without lingering over unsent data.
void closeSocket(int fd, bool failed);

}  // namespace korvo::stdlib
