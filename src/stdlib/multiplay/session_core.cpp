// The session layer's rules: admitting peers, announcing players, checking and routing
// frames, and what a departure means (players gone, a new host, or the session lost).
#include "stdlib/multiplay/session_core.h"

#include <algorithm>

namespace korvo::stdlib::net {
namespace {

// Player ids carry their peer's id in the top half, so peer ids stay below 2^15.
constexpr std::uint32_t kMaxPeerId = 0x7FFF;
constexpr std::uint32_t kMaxPlayerCounter = 0xFFFF;
// Messages waiting for the program beyond this many are dropped (only while joining can
// they pile up: otherwise the transport is read only when the program asks).
constexpr std::size_t kMaxQueuedEvents = 65536;

std::uint32_t peerOf(std::int32_t player) { return static_cast<std::uint32_t>(player) >> 16; }

}  // namespace

SessionCore::SessionCore(Links& links, std::uint32_t sessionId, std::string name, bool create)
    : links_(links), sessionId_(sessionId), name_(std::move(name)) {
  if (create) {
    myPeerId_ = hostPeerId_ = 1;
    nextPeerId_ = 2;
    welcomed_ = true;
  }
}

SessionCore::Member* SessionCore::member(Link link) {
  auto it = std::find_if(members_.begin(), members_.end(), [link](const Member& m) { return m.link == link; });
  return it == members_.end() ? nullptr : &*it;
}

const SessionCore::Member* SessionCore::member(Link link) const { return const_cast<SessionCore*>(this)->member(link); }

const SessionCore::Player* SessionCore::player(std::int32_t id) const {
  auto it = std::find_if(players_.begin(), players_.end(), [id](const Player& p) { return p.id == id; });
  return it == players_.end() ? nullptr : &*it;
}

bool SessionCore::isLocal(std::int32_t id) const {
  const Player* p = player(id);
  return p && p->owner == 0;
}

bool SessionCore::peerIdTaken(std::uint32_t peerId) const {
  if (peerId == myPeerId_) return true;
  return std::any_of(members_.begin(), members_.end(),
                     [peerId](const Member& m) { return m.admitted && m.address.peerId == peerId; });
}

std::size_t SessionCore::memberCount() const {
  return static_cast<std::size_t>(
      std::count_if(members_.begin(), members_.end(), [](const Member& m) { return m.admitted; }));
}

SessionAd SessionCore::advert() const { return {sessionId_, static_cast<std::uint8_t>(memberCount() + 1), name_}; }

void SessionCore::connected(Link link, MemberAddress address, std::uint32_t nowMs) {
  if (member(link)) return;
  address.peerId = 0;
  members_.push_back({link, address, nowMs, false, false});
}

void SessionCore::received(Link link, ByteView bytes) {
  Member* m = member(link);
  Frame frame;
  if (m && !m->admitted && !readFrame(bytes, frame)) {
    refuse(link);
    return;
  }
  if (!m || !readFrame(bytes, frame)) {
    drop();
    return;
  }
  if (!m->admitted) {
    onPending(*m, frame);
  } else if (frame.from == 0) {
    onControl(*m, frame);
  } else {
    onMessage(*m, frame, bytes);
  }
}

void SessionCore::onPending(Member& m, const Frame& frame) {
  const Link link = m.link;
  const bool full = memberCount() + 1 >= kMaxPeers;
  std::uint32_t session = 0, peerId = 0;
  // The first and last branches both refuse: a frame that claims a sender is refused before
  // any decoding, and the decoders in the conditions between run only in their turn.
  if (frame.from != 0) {  // NOLINT(bugprone-branch-clone)
    refuse(link);
  } else if (frame.type == static_cast<std::int8_t>(Control::kWelcome) && link == joinLink_ && !welcomed_) {
    Welcome w;
    const bool valid = decodeWelcome(frame.data, w) && w.yourId != 0 && w.yourId <= kMaxPeerId && w.hostId != 0 &&
                       w.hostId <= kMaxPeerId && w.hostId != w.yourId;
    if (!valid) {
      refuse(link);
      return;
    }
    myPeerId_ = w.yourId;
    hostPeerId_ = w.hostId;
    nextPeerId_ = std::max(w.yourId, w.hostId) + 1;
    for (const MemberAddress& a : w.members) nextPeerId_ = std::max(nextPeerId_, a.peerId + 1);
    welcome_ = std::move(w);
    welcomed_ = true;
    admit(m, hostPeerId_);
  } else if (frame.type == static_cast<std::int8_t>(Control::kJoin) && decodeJoin(frame.data, session) &&
             session == sessionId_ && isHost() && !full && nextPeerId_ <= kMaxPeerId) {
    Welcome w{nextPeerId_++, myPeerId_, {}};
    for (const Member& other : members_) {
      if (other.admitted) w.members.push_back(other.address);
    }
    sendControl(link, Control::kWelcome, encodeWelcome(w));
    admit(m, w.yourId);
  } else if (frame.type == static_cast<std::int8_t>(Control::kHello) && decodeHello(frame.data, session, peerId) &&
             session == sessionId_ && welcomed_ && !full && peerId != 0 && peerId <= kMaxPeerId &&
             !peerIdTaken(peerId)) {
    nextPeerId_ = std::max(nextPeerId_, peerId + 1);
    admit(m, peerId);
  } else {
    refuse(link);
  }
}

void SessionCore::admit(Member& m, std::uint32_t peerId) {
  m.admitted = true;
  m.address.peerId = peerId;
  tellOurPlayers(m.link);
}

void SessionCore::onControl(Member& m, const Frame& frame) {
  std::int32_t id = 0;
  std::string name;
  switch (static_cast<Control>(frame.type)) {
    case Control::kPlayerAdded:
      if (!decodePlayerAdded(frame.data, id, name) || peerOf(id) != m.address.peerId || (id & 0xFFFF) == 0 ||
          player(id) || players_.size() >= kMaxPlayers) {
        drop();
        return;
      }
      players_.push_back({id, m.link, name});
      push({Event::Kind::kPlayerJoined, id, 0, 0, std::move(name)});
      return;
    case Control::kPlayerRemoved: {
      const Player* p = decodePlayerRemoved(frame.data, id) ? player(id) : nullptr;
      if (!p || p->owner != m.link) {
        drop();
        return;
      }
      std::erase_if(players_, [id](const Player& q) { return q.id == id; });
      push({Event::Kind::kPlayerLeft, id, 0, 0, {}});
      return;
    }
    case Control::kReady:
      if (decodeReady(frame.data)) {
        m.ready = true;
      } else {
        drop();
      }
      return;
    default: drop(); return;
  }
}

void SessionCore::onMessage(Member& m, const Frame& frame, ByteView bytes) {
  const Player* sender = player(frame.from);
  if (!sender || sender->owner != m.link || (frame.to != 0 && !player(frame.to))) {
    drop();
    return;
  }
  // A message for a player elsewhere, or for all while no player lives here, has no reader.
  const bool forUs = frame.to != 0
                         ? isLocal(frame.to)
                         : std::any_of(players_.begin(), players_.end(), [](const Player& p) { return p.owner == 0; });
  if (!forUs) {
    if (frame.to != 0) drop();
    return;
  }
  push({Event::Kind::kMessage, frame.from, frame.to, frame.type, std::string(bytes.begin(), bytes.end())});
}

void SessionCore::disconnected(Link link, bool lost) {
  Member* m = member(link);
  if (!m) return;
  if (link == joinLink_) joinLink_ = 0;
  const bool admitted = m->admitted;
  const bool wasHost = admitted && m->address.peerId == hostPeerId_;
  std::erase_if(members_, [link](const Member& x) { return x.link == link; });
  if (!admitted) return;
  for (const Player& p : players_) {
    if (p.owner == link) push({Event::Kind::kPlayerLeft, p.id, 0, 0, {}});
  }
  std::erase_if(players_, [link](const Player& p) { return p.owner == link; });
  if (lost && memberCount() == 0) {
    // Every peer went silent: this process may be the one cut off.
    lost_ = true;
    push({Event::Kind::kSessionLost, -1, 0, 200, {}});
    return;
  }
  if (!wasHost) return;
  // The oldest peer left takes over; every peer reaches the same choice.
  hostPeerId_ = myPeerId_;
  for (const Member& other : members_) {
    if (other.admitted) hostPeerId_ = std::min(hostPeerId_, other.address.peerId);
  }
  if (hostPeerId_ == myPeerId_) push({Event::Kind::kBecameHost, -1, 0, 102, {}});
}

void SessionCore::expirePending(std::uint32_t nowMs, std::uint32_t limitMs) {
  std::vector<Link> stale;
  for (const Member& m : members_) {
    if (!m.admitted && m.link != joinLink_ && nowMs - m.since >= limitMs) stale.push_back(m.link);
  }
  for (Link link : stale) refuse(link);
}

void SessionCore::refuse(Link link) {
  ++refusedLinks_;
  if (link == joinLink_) joinLink_ = 0;
  std::erase_if(members_, [link](const Member& m) { return m.link == link; });
  links_.drop(link);
}

void SessionCore::requestJoin(Link host) {
  joinLink_ = host;
  sendControl(host, Control::kJoin, encodeJoin(sessionId_));
}

void SessionCore::greet(Link link, std::uint32_t peerId) {
  Member* m = member(link);
  if (!m || m->admitted) return;
  sendControl(link, Control::kHello, encodeHello(sessionId_, myPeerId_));
  admit(*m, peerId);
}

bool SessionCore::memberReady(Link link) const {
  const Member* m = member(link);
  return m && m->admitted && m->ready;
}

void SessionCore::sendControl(Link link, Control type, const Bytes& data) {
  Bytes frame(kFrameHeaderBytes + data.size());
  writeFrame(frame.data(), 0, 0, static_cast<std::int32_t>(type), data);
  links_.send(link, frame, true);
}

void SessionCore::sendToMembers(Control type, const Bytes& data) {
  for (const Member& m : members_) {
    if (m.admitted) sendControl(m.link, type, data);
  }
}

void SessionCore::tellOurPlayers(Link link) {
  for (const Player& p : players_) {
    if (p.owner == 0) sendControl(link, Control::kPlayerAdded, encodePlayerAdded(p.id, p.name));
  }
  sendControl(link, Control::kReady, encodeReady());
}

std::int32_t SessionCore::addLocalPlayer(std::string_view name) {
  if (lost_ || !welcomed_ || players_.size() >= kMaxPlayers || playerCounter_ >= kMaxPlayerCounter) return 0;
  const auto id = static_cast<std::int32_t>(myPeerId_ << 16 | ++playerCounter_);
  players_.push_back({id, 0, std::string(name.substr(0, kMaxNameBytes))});
  sendToMembers(Control::kPlayerAdded, encodePlayerAdded(id, players_.back().name));
  return id;
}

void SessionCore::removeLocalPlayer(std::int32_t id) {
  if (!isLocal(id)) return;
  std::erase_if(players_, [id](const Player& p) { return p.id == id; });
  sendToMembers(Control::kPlayerRemoved, encodePlayerRemoved(id));
}

std::vector<PlayerInfo> SessionCore::remotePlayers() const {
  std::vector<PlayerInfo> remote;
  for (const Player& p : players_) {
    if (p.owner != 0) remote.push_back({p.id, p.name});
  }
  return remote;
}

bool SessionCore::sendFrame(ByteView frame, std::int32_t from, std::int32_t to, bool reliable) {
  if (lost_ || !isLocal(from)) return false;
  if (to == 0) {
    for (const Member& m : members_) {
      if (m.admitted) links_.send(m.link, frame, reliable);
    }
    return true;
  }
  const Player* receiver = player(to);
  if (!receiver) return false;
  // Local players do not hear each other: accepted, and nothing goes out.
  if (receiver->owner != 0) links_.send(receiver->owner, frame, reliable);
  return true;
}

bool SessionCore::nextEvent(Event& event) {
  if (events_.empty()) return false;
  event = std::move(events_.front());
  events_.pop_front();
  return true;
}

void SessionCore::push(Event event) {
  if (event.kind == Event::Kind::kMessage && events_.size() >= kMaxQueuedEvents) {
    drop();
    return;
  }
  events_.push_back(std::move(event));
}

}  // namespace korvo::stdlib::net
