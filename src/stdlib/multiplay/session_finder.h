// Finding sessions: a query goes to every port of the session port range at each address,
// and every host that answers describes its session. Queries and answers are single
// datagrams, so a host keeps nothing for a query it answers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "stdlib/multiplay/net_wire.h"

namespace korvo::stdlib::net {

// The first port of the session port range (KORVO_NET_PORT, else 2350), and its length:
// a session takes the first free port from the first one on.
std::uint16_t sessionBasePort();
inline constexpr std::uint16_t kSessionPortSpan = 16;

// Where the session dialog looks for games (KORVO_NET_SEARCH: dotted addresses separated by
// spaces or commas; by default this machine and the local network's broadcast address).
std::vector<std::uint32_t> searchAddresses();

struct FoundSession {
  SessionAd ad;
  std::uint32_t ip = 0;  // the host's address and port, host byte order
  std::uint16_t port = 0;
};

class SessionFinder {
 public:
  SessionFinder();
  ~SessionFinder();
  SessionFinder(const SessionFinder&) = delete;
  SessionFinder& operator=(const SessionFinder&) = delete;

  // True when the finder has its socket.
  bool open() const { return fd_ >= 0; }
  // Asks every port of the range at each address; false when no question could be sent.
  bool ask(const std::vector<std::uint32_t>& addresses);
  // Takes the answers that have arrived, waiting up to ms for the first (real time, which a
  // virtual clock is moved on by). A host that answers again replaces its earlier answer.
  void collect(std::uint32_t ms);
  // Forgets what was found (before a new round of questions).
  void clear() { found_.clear(); }
  const std::vector<FoundSession>& found() const { return found_; }
  // True when every port asked has answered or was refused: there is nothing more to wait for.
  bool settled() const { return silent_ == 0; }

 private:
  struct Asked {
    std::uint32_t ip;
    std::uint16_t port;
    bool heard;
  };
  void heardFrom(std::uint32_t ip, std::uint16_t port);

  int fd_ = -1;
  std::vector<FoundSession> found_;
  std::vector<Asked> asked_;
  std::size_t silent_ = 0;
};

// Looks for a session named exactly name at the addresses, asking again now and then, for
// up to the query time; false when none answered.
bool findSession(const std::string& name, const std::vector<std::uint32_t>& addresses, FoundSession& session);

}  // namespace korvo::stdlib::net
