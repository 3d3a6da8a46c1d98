// Multiplay: the multiplay module's state. The open session (if any), whether this
// process is its host, the players the program knows in order of arrival, the remote
// players not yet announced, the send and receive buffers, and the current message.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "stdlib/multiplay/net_session.h"

namespace korvo::stdlib {

struct NetPlayer {
  std::int32_t id = 0;
  std::string name;
  bool remote = false;
};

struct NetMessage {
  std::int32_t type = 0;
  std::int32_t from = -1;
  std::int32_t to = 0;
  std::string data;
};

class Multiplay {
 public:
  std::unique_ptr<net::NetSession> session;
  bool host = false;
  std::vector<NetPlayer> players;
  std::deque<std::int32_t> announcements;
  std::vector<std::uint8_t> sendBuffer;
  std::vector<std::uint8_t> receiveBuffer;
  NetMessage current;

  // Both buffers at their first size; no session, no players.
  void reset();
  // Forgets the session, its players and what was waiting to be announced.
  void stop();
  // A session was opened: the players are the session's, all still to be announced.
  void enter(std::unique_ptr<net::NetSession> opened, bool created);
  // Records the session's remote players not yet known and queues them for announcement.
  void enumerate();

  NetPlayer* find(std::int32_t id);
  void forget(std::int32_t id);
};

// Grows a buffer to one and a half times needed when it holds fewer than needed bytes.
void ensureCapacity(std::vector<std::uint8_t>& buffer, std::size_t needed);

// The module's state: a record of the running host, which the commands run on (one must be
// running).
Multiplay& multiplay();

}  // namespace korvo::stdlib
