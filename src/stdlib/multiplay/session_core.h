// SessionCore: the session layer without its transport. A session is a set of peers, each
// connected to every other; the host (the peer that created it, later the oldest one left)
// admits joiners and tells them who else to connect to; every peer announces its own
// players to every other. Everything a peer sends is checked here before it is believed:
// frames that do not fit, players that are not the sender's, and links that break the
// protocol are dropped and counted. What the program is to hear queues up as events.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "stdlib/multiplay/net_wire.h"

namespace korvo::stdlib::net {

// A connection of the transport, as the transport names it (never 0).
using Link = std::uintptr_t;

// What the session layer needs of its transport.
class Links {
 public:
  virtual ~Links() = default;
  virtual void send(Link link, ByteView frame, bool reliable) = 0;
  // Ends a link the session refuses; no disconnection is reported for it.
  virtual void drop(Link link) = 0;
};

struct Event {
  enum class Kind { kPlayerJoined, kPlayerLeft, kMessage, kBecameHost, kSessionLost };
  Kind kind = Kind::kMessage;
  std::int32_t from = 0;
  std::int32_t to = 0;
  std::int32_t type = 0;
  std::string data;  // a message's whole frame, or the joining player's name
};

struct PlayerInfo {
  std::int32_t id = 0;
  std::string name;
};

class SessionCore {
 public:
  // A session this process creates (and hosts), or one it is about to join.
  static constexpr bool kCreate = true;
  static constexpr bool kJoin = false;
  SessionCore(Links& links, std::uint32_t sessionId, std::string name, bool create);

  // --- From the transport ---
  // A link came up (either side opened it); it counts for nothing until it introduces itself.
  void connected(Link link, MemberAddress address, std::uint32_t nowMs);
  void received(Link link, ByteView bytes);
  // lost: the peer went silent rather than saying goodbye.
  void disconnected(Link link, bool lost);
  // Drops links that have not introduced themselves within the limit.
  void expirePending(std::uint32_t nowMs, std::uint32_t limitMs);

  // --- Joining ---
  // Asks the host on this link to admit us.
  void requestJoin(Link host);
  // True once the host has admitted us; then welcome() lists the members to greet.
  bool welcomed() const { return welcomed_; }
  const Welcome& welcome() const { return welcome_; }
  // Introduces us to a member named by the welcome.
  void greet(Link member, std::uint32_t peerId);
  // True when the member on the link has told all its players.
  bool memberReady(Link link) const;

  // --- The program's side ---
  // A new local player; 0 when the session is full or lost.
  std::int32_t addLocalPlayer(std::string_view name);
  void removeLocalPlayer(std::int32_t player);
  bool isLocal(std::int32_t player) const;
  // The remote players known now, in order of arrival.
  std::vector<PlayerInfo> remotePlayers() const;
  // Sends a framed message from a local player to one player or (to 0) to all; false when
  // the sender is not local, the receiver unknown or the session lost.
  bool sendFrame(ByteView frame, std::int32_t from, std::int32_t to, bool reliable);
  // The next event for the program.
  bool nextEvent(Event& event);
  bool hasEvent() const { return !events_.empty(); }

  bool isHost() const { return welcomed_ && myPeerId_ == hostPeerId_; }
  bool lost() const { return lost_; }
  std::uint32_t sessionId() const { return sessionId_; }
  const std::string& name() const { return name_; }
  std::size_t memberCount() const;
  // Players of the session, local and remote.
  std::size_t playerCount() const { return players_.size(); }
  SessionAd advert() const;
  // Frames and links refused since the session began.
  std::uint64_t droppedFrames() const { return droppedFrames_; }
  std::uint64_t refusedLinks() const { return refusedLinks_; }

 private:
  struct Member {
    Link link = 0;
    MemberAddress address;
    std::uint32_t since = 0;
    bool admitted = false;  // introduced (peerId set)
    bool ready = false;
  };
  struct Player {
    std::int32_t id = 0;
    Link owner = 0;  // 0: this process's
    std::string name;
  };

  Member* member(Link link);
  const Member* member(Link link) const;
  const Player* player(std::int32_t id) const;
  bool peerIdTaken(std::uint32_t peerId) const;
  void admit(Member& m, std::uint32_t peerId);
  void sendControl(Link link, Control type, const Bytes& data);
  void sendToMembers(Control type, const Bytes& data);
  void tellOurPlayers(Link link);
  void onControl(Member& m, const Frame& frame);
  void onPending(Member& m, const Frame& frame);
  void onMessage(Member& m, const Frame& frame, ByteView bytes);
  void refuse(Link link);
  void drop() { ++droppedFrames_; }
  void push(Event event);

  Links& links_;
  std::uint32_t sessionId_;
  std::string name_;
  std::uint32_t myPeerId_ = 0;
  std::uint32_t hostPeerId_ = 0;
  std::uint32_t nextPeerId_ = 1;
  std::uint32_t playerCounter_ = 0;
  bool welcomed_ = false;
  bool lost_ = false;
  Link joinLink_ = 0;
  Welcome welcome_;
  std::vector<Member> members_;
  std::vector<Player> players_;
  std::deque<Event> events_;
  std::uint64_t droppedFrames_ = 0;
  std::uint64_t refusedLinks_ = 0;
};

}  // namespace korvo::stdlib::net
