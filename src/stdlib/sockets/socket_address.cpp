// Endpoint conversions and socket closing.
#include "stdlib/sockets/socket_address.h"

#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

namespace korvo::stdlib {

sockaddr_in toSockaddr(Endpoint endpoint) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(endpoint.ip);
  address.sin_port = htons(endpoint.port);
  return address;
}

Endpoint fromSockaddr(const sockaddr_in& address) { return {ntohl(address.sin_addr.s_addr), ntohs(address.sin_port)}; }

Endpoint localEndpoint(int fd) {
  sockaddr_in address{};
  socklen_t length = sizeof address;
  if (getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) return {};
  return fromSockaddr(address);
}

Endpoint peerEndpoint(int fd) {
  sockaddr_in address{};
  socklen_t length = sizeof address;
  if (getpeername(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) return {};
  return fromSockaddr(address);
}

void closeSocket(int fd, bool failed) {
  if (fd < 0) return;
  if (failed) {
    const linger off{0, 0};
    setsockopt(fd, SOL_SOCKET, SO_LINGER, &off, sizeof off);
  }
  ::close(fd);
}

}  // namespace korvo::stdlib
