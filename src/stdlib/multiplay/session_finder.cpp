// Session queries over a datagram socket of their own.
#include "stdlib/multiplay/session_finder.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "stdlib/multiplay/unreachable.h"
#include "stdlib/sockets/socket_wait.h"

namespace korvo::stdlib::net {
namespace {

constexpr std::uint16_t kDefaultBasePort = 2350;
// How long a join waits for answers, and how often it asks again meanwhile.
constexpr std::uint32_t kQueryTimeMs = 1500;
constexpr std::uint32_t kAskAgainMs = 250;
constexpr std::size_t kMaxFound = 256;

}  // namespace

std::uint16_t sessionBasePort() {
  const char* text = std::getenv("KORVO_NET_PORT");
  if (!text) return kDefaultBasePort;
  const long port = std::strtol(text, nullptr, 10);
  return port >= 1 && port <= 65535 - kSessionPortSpan ? static_cast<std::uint16_t>(port) : kDefaultBasePort;
}

std::vector<std::uint32_t> searchAddresses() {
  const char* text = std::getenv("KORVO_NET_SEARCH");
  if (!text) return {INADDR_LOOPBACK, INADDR_BROADCAST};
  std::string list(text);
  for (char& c : list) {
    if (c == ',') c = ' ';
  }
  std::vector<std::uint32_t> addresses;
  std::istringstream words(list);
  for (std::string word; words >> word;) {
    in_addr a{};
    if (inet_aton(word.c_str(), &a) != 0) addresses.push_back(ntohl(a.s_addr));
  }
  return addresses;
}

SessionFinder::SessionFinder() {
  fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd_ < 0) return;
  const int on = 1;
  ::setsockopt(fd_, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
  // Ports nobody listens on say so, and need not be waited for.
  keepErrorReports(fd_);
}

SessionFinder::~SessionFinder() {
  if (fd_ >= 0) ::close(fd_);
}

bool SessionFinder::ask(const std::vector<std::uint32_t>& addresses) {
  if (fd_ < 0) return false;
  bool sent = false;
  const Bytes query = encodeQuery();
  const std::uint16_t base = sessionBasePort();
  asked_.clear();
  for (std::uint32_t ip : addresses) {
    for (std::uint16_t port = base; port < base + kSessionPortSpan; ++port) {
      if (ip != INADDR_BROADCAST) asked_.push_back({ip, port, false});
      sockaddr_in to{};
      to.sin_family = AF_INET;
      to.sin_addr.s_addr = htonl(ip);
      to.sin_port = htons(port);
      // A refusal of an earlier question may be reported here instead; this one is still to go.
      for (int tries = 0; tries < 4; ++tries) {
        if (::sendto(fd_, query.data(), query.size(), MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&to),
                     sizeof to) >= 0) {
          sent = true;
          break;
        }
        if (errno != ECONNREFUSED) break;
      }
    }
  }
  // A question to a whole network never settles: answers may come from anywhere on it.
  const bool broadcast = std::find(addresses.begin(), addresses.end(), INADDR_BROADCAST) != addresses.end();
  silent_ = asked_.size() + (broadcast ? 1 : 0);
  return sent;
}

void SessionFinder::heardFrom(std::uint32_t ip, std::uint16_t port) {
  for (Asked& a : asked_) {
    if (a.ip == ip && a.port == port && !a.heard) {
      a.heard = true;
      --silent_;
    }
  }
}

void SessionFinder::collect(std::uint32_t ms) {
  if (fd_ < 0) return;
  if (ms > 0) {
    pollfd p{fd_, POLLIN, 0};
    RealWaitScope waited;
    ::poll(&p, 1, static_cast<int>(ms));
  }
  for (const Refusal& r : takeRefusals(fd_)) heardFrom(r.ip, r.port);
  std::uint8_t buffer[512];
  for (;;) {
    sockaddr_in from{};
    socklen_t length = sizeof from;
    const ssize_t n = ::recvfrom(fd_, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length);
    if (n < 0) {
      // An error report (a port nobody listens on) stands in the queue like a datagram.
      if (errno == EAGAIN || errno == EWOULDBLOCK) return;
      for (const Refusal& r : takeRefusals(fd_)) heardFrom(r.ip, r.port);
      continue;
    }
    FoundSession s;
    if (!decodeAd(ByteView(buffer, static_cast<std::size_t>(n)), s.ad)) continue;
    s.ip = ntohl(from.sin_addr.s_addr);
    s.port = ntohs(from.sin_port);
    heardFrom(s.ip, s.port);
    bool known = false;
    for (FoundSession& f : found_) {
      if (f.ip == s.ip && f.port == s.port) {
        f = s;
        known = true;
      }
    }
    if (!known && found_.size() < kMaxFound) found_.push_back(std::move(s));
  }
}

bool findSession(const std::string& name, const std::vector<std::uint32_t>& addresses, FoundSession& session) {
  // Names travel cut to their longest; a long name finds the session it named.
  const std::string_view wanted = std::string_view(name).substr(0, kMaxNameBytes);
  SessionFinder finder;
  SocketTimer timer(kQueryTimeMs);
  while (timer.remaining() > 0) {
    finder.ask(addresses);
    SocketTimer round(kAskAgainMs);
    while (round.remaining() > 0 && timer.remaining() > 0) {
      finder.collect(std::min(round.remaining(), timer.remaining()));
      for (const FoundSession& f : finder.found()) {
        if (f.ad.name == wanted) {
          session = f;
          return true;
        }
      }
      if (finder.settled()) return false;
    }
  }
  return false;
}

}  // namespace korvo::stdlib::net
