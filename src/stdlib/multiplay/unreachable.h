// Error reports for datagrams: a datagram sent to a port nobody listens on comes back from
// that machine as "port unreachable". A socket asked to keep such reports tells which
// address refused, so a peer whose process has ended is known at once instead of after
// a time-out.
#pragma once

#include <cstdint>
#include <vector>

namespace korvo::stdlib::net {

struct Refusal {
  std::uint32_t ip = 0;  // host byte order
  std::uint16_t port = 0;
};

// Asks the datagram socket to keep error reports; false when it cannot.
bool keepErrorReports(int fd);
// Takes the reports waiting on the socket without blocking; the refusals among them.
std::vector<Refusal> takeRefusals(int fd);

}  // namespace korvo::stdlib::net
