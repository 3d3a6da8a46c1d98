// Ports for network tests: a range that nothing else on this machine uses right now, so
// that tests running side by side never meet.
#pragma once

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <random>

namespace korvo::testing {

// The first of span consecutive ports that are all free for datagrams now.
inline int freePortRange(int span) {
  std::mt19937 random(std::random_device{}());
  for (;;) {
    const int base = 20000 + static_cast<int>(random() % 2000) * span;
    bool free = true;
    for (int port = base; port < base + span && free; ++port) {
      const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
      sockaddr_in address{};
      address.sin_family = AF_INET;
      address.sin_port = htons(static_cast<std::uint16_t>(port));
      free = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
      ::close(fd);
    }
    if (free) return base;
  }
}

}  // namespace korvo::testing
