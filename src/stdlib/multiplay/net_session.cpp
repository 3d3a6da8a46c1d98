// Sessions on ENet: opening the peer's host, joining, serving the transport, leaving.
#include "stdlib/multiplay/net_session.h"

#include <arpa/inet.h>

#include <algorithm>
#include <chrono>
#include <random>

#include "stdlib/sockets/socket_wait.h"

namespace korvo::stdlib::net {
namespace {

constexpr std::size_t kChannels = 2;
constexpr enet_uint8 kReliableChannel = 0;
constexpr enet_uint8 kUnreliableChannel = 1;
// The other members, and room for joiners introducing themselves.
constexpr std::size_t kPeerSlots = kMaxPeers - 1 + 16;
// Tags in ENet's connect and disconnect data: ours, a goodbye, a refusal. A disconnect
// without one is a peer that went silent.
constexpr enet_uint32 kConnectTag = 0x4B564E31;
constexpr enet_uint32 kGoodbye = 0x4B564E42;
constexpr enet_uint32 kRefused = 0x4B564E52;
// Marks the ENet peers this process connected to itself (cleared whenever a peer is let go,
// as ENet keeps it when the slot is used again).
char gOutgoing;
// How long leaving waits for a silent peer to take what is still queued for it (a busy
// peer takes it only when its program next reads its messages), and for all of them at most.
constexpr std::uint32_t kLeaveWaitMs = 5000;
constexpr std::uint32_t kLeaveLimitMs = 30000;
constexpr std::uint32_t kServeSliceMs = 20;
// A peer's transport is served only while its program reads messages, so a program busy for
// a few seconds (loading a level, or starved of the processor) must not count as gone: a
// link ends after 20 s without an answer once ENet's retries are spent, 60 s at most.
constexpr enet_uint32 kSilenceMinimumMs = 20000;
constexpr enet_uint32 kSilenceMaximumMs = 60000;

NetSession* gActive = nullptr;

Link linkOf(ENetPeer* peer) { return reinterpret_cast<Link>(peer); }
ENetPeer* peerOf(Link link) { return reinterpret_cast<ENetPeer*>(link); }

std::uint32_t realNowMs() {
  using namespace std::chrono;
  return static_cast<std::uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

std::uint32_t newSessionId() {
  std::random_device random;
  std::uint32_t id = 0;
  while (id == 0) id = random();
  return id;
}

}  // namespace

bool NetSession::startTransport() { return enet_initialize() == 0; }

void NetSession::stopTransport() { enet_deinitialize(); }

NetSession::NetSession(ENetHost* host, std::uint32_t sessionId, const std::string& name, bool create)
    : host_(host), core_(*this, sessionId, name, create) {
  gActive = this;
}

ENetHost* NetSession::openHost() {
  const std::uint16_t base = sessionBasePort();
  for (std::uint32_t port = base; port <= static_cast<std::uint32_t>(base) + kSessionPortSpan; ++port) {
    // Past the range, any free port: the session still works, only not found on this one.
    ENetAddress address{ENET_HOST_ANY,
                        static_cast<enet_uint16>(port < base + std::uint32_t{kSessionPortSpan} ? port : 0)};
    if (ENetHost* host = enet_host_create(&address, kPeerSlots, kChannels, 0, 0)) {
      host->maximumPacketSize = kFrameHeaderBytes + kMaxMessageBytes;
      host->intercept = &NetSession::intercept;
      keepErrorReports(host->socket);
      return host;
    }
  }
  return nullptr;
}

std::unique_ptr<NetSession> NetSession::create(const std::string& name) {
  ENetHost* host = openHost();
  if (!host) return nullptr;
  return std::unique_ptr<NetSession>(new NetSession(host, newSessionId(), name, SessionCore::kCreate));
}

std::unique_ptr<NetSession> NetSession::join(const std::string& name, const std::vector<std::uint32_t>& addresses) {
  FoundSession found;
  return findSession(name, addresses, found) ? join(found) : nullptr;
}

std::unique_ptr<NetSession> NetSession::join(const FoundSession& found) {
  ENetHost* host = openHost();
  if (!host) return nullptr;
  std::unique_ptr<NetSession> session(new NetSession(host, found.ad.sessionId, found.ad.name, SessionCore::kJoin));
  SessionCore& core = session->core_;
  ENetPeer* first = session->connectTo(found.ip, found.port);
  if (!first) return nullptr;
  core.requestJoin(linkOf(first));
  const auto admitted = [&core, first] {
    return core.memberReady(linkOf(first)) || first->state != ENET_PEER_STATE_CONNECTED;
  };
  if (!session->serveUntil(admitted) || !core.memberReady(linkOf(first))) return nullptr;
  std::vector<ENetPeer*> members;
  for (const MemberAddress& m : core.welcome().members) {
    ENetPeer* peer = session->connectTo(m.ip, m.port);
    if (!peer) return nullptr;
    core.greet(linkOf(peer), m.peerId);
    members.push_back(peer);
  }
  const auto allReady = [&core, &members] {
    return std::all_of(members.begin(), members.end(), [&core](ENetPeer* p) {
      return core.memberReady(linkOf(p)) || p->state != ENET_PEER_STATE_CONNECTED;
    });
  };
  session->serveUntil(allReady);
  for (ENetPeer* p : members) {
    if (!core.memberReady(linkOf(p))) return nullptr;
  }
  return session;
}

NetSession::~NetSession() {
  // Each peer is let go once what is queued for it has gone out and been taken. A peer that
  // answers keeps getting time (up to a limit); one silent for the leave wait is let go.
  for (std::size_t i = 0; i < host_->peerCount; ++i) {
    ENetPeer& peer = host_->peers[i];
    if (peer.state != ENET_PEER_STATE_DISCONNECTED) enet_peer_disconnect_later(&peer, kGoodbye);
  }
  SocketTimer limit(kLeaveLimitMs);
  SocketTimer silence(kLeaveWaitMs);
  enet_uint32 heard = host_->totalReceivedPackets;
  while (host_->connectedPeers > 0 && silence.remaining() > 0 && limit.remaining() > 0) {
    ENetEvent event;
    if (serve(event, std::min(silence.remaining(), kServeSliceMs)) > 0 && event.type == ENET_EVENT_TYPE_RECEIVE) {
      enet_packet_destroy(event.packet);
    }
    applyRefusals();
    if (host_->totalReceivedPackets != heard) {
      heard = host_->totalReceivedPackets;
      silence = SocketTimer(kLeaveWaitMs);
    }
  }
  for (std::size_t i = 0; i < host_->peerCount; ++i) {
    ENetPeer& peer = host_->peers[i];
    if (peer.state != ENET_PEER_STATE_DISCONNECTED) enet_peer_disconnect_now(&peer, kGoodbye);
  }
  enet_host_destroy(host_);
  if (gActive == this) gActive = nullptr;
}

std::uint16_t NetSession::port() const { return host_->address.port; }

int ENET_CALLBACK NetSession::intercept(ENetHost* host, ENetEvent*) {
  const ByteView datagram(host->receivedData, host->receivedDataLength);
  if (!isSessionDatagram(datagram)) return 0;
  NetSession* session = gActive;
  if (isQuery(datagram) && session && session->host_ == host && session->core_.isHost() && !session->core_.lost()) {
    const Bytes ad = encodeAd(session->core_.advert());
    ENetBuffer buffer;
    buffer.data = const_cast<std::uint8_t*>(ad.data());
    buffer.dataLength = ad.size();
    enet_socket_send(host->socket, &host->receivedAddress, &buffer, 1);
  }
  return 1;
}

void NetSession::send(Link link, ByteView frame, bool reliable) {
  ENetPacket* packet = enet_packet_create(frame.data(), frame.size(), reliable ? ENET_PACKET_FLAG_RELIABLE : 0);
  if (packet && enet_peer_send(peerOf(link), reliable ? kReliableChannel : kUnreliableChannel, packet) < 0) {
    enet_packet_destroy(packet);
  }
}

void NetSession::drop(Link link) {
  ENetPeer* peer = peerOf(link);
  peer->data = nullptr;
  enet_peer_disconnect_now(peer, kRefused);
}

void NetSession::handle(const ENetEvent& event) {
  const Link link = linkOf(event.peer);
  switch (event.type) {
    case ENET_EVENT_TYPE_CONNECT:
      // Someone else's protocol on our port is turned away at once.
      if (event.peer->data != &gOutgoing && event.data != kConnectTag) {
        enet_peer_disconnect_now(event.peer, kRefused);
        return;
      }
      enet_peer_timeout(event.peer, 0, kSilenceMinimumMs, kSilenceMaximumMs);
      core_.connected(link, {0, ntohl(event.peer->address.host), event.peer->address.port}, realNowMs());
      return;
    case ENET_EVENT_TYPE_RECEIVE:
      core_.received(link, ByteView(event.packet->data, event.packet->dataLength));
      enet_packet_destroy(event.packet);
      return;
    case ENET_EVENT_TYPE_DISCONNECT:
      core_.disconnected(link, event.data != kGoodbye && event.data != kRefused);
      event.peer->data = nullptr;
      return;
    case ENET_EVENT_TYPE_NONE: return;
  }
}

int NetSession::serve(ENetEvent& event, std::uint32_t ms) {
  int served;
  {
    RealWaitScope waited;
    served = enet_host_service(host_, &event, ms);
  }
  noticeRefusals();
  // A refusal is reported in place of whatever the transport was doing; it goes on from there.
  if (served < 0) served = enet_host_service(host_, &event, 0);
  return served;
}

void NetSession::noticeRefusals() {
  for (const Refusal& r : takeRefusals(host_->socket)) refusals_.push_back(r);
}

void NetSession::applyRefusals() {
  for (const Refusal& r : refusals_) {
    for (std::size_t i = 0; i < host_->peerCount; ++i) {
      ENetPeer& peer = host_->peers[i];
      if (peer.state == ENET_PEER_STATE_DISCONNECTED || ntohl(peer.address.host) != r.ip ||
          peer.address.port != r.port) {
        continue;
      }
      core_.disconnected(linkOf(&peer), true);
      peer.data = nullptr;
      enet_peer_reset(&peer);
    }
  }
  refusals_.clear();
}

void NetSession::pump() {
  core_.expirePending(realNowMs(), kLookupAndConnectBoundMs);
  ENetEvent event;
  while (!core_.hasEvent()) {
    if (serve(event, 0) <= 0) {
      applyRefusals();
      return;
    }
    handle(event);
  }
}

void NetSession::flush() {
  enet_host_flush(host_);
  noticeRefusals();
}

template <typename Done>
bool NetSession::serveUntil(Done done) {
  SocketTimer timer(kLookupAndConnectBoundMs);
  while (!done() && timer.remaining() > 0) {
    ENetEvent event;
    const int served = serve(event, std::min(timer.remaining(), kServeSliceMs));
    if (served < 0) break;
    if (served > 0) {
      handle(event);
    } else {
      applyRefusals();
    }
  }
  return done();
}

ENetPeer* NetSession::connectTo(std::uint32_t ip, std::uint16_t port) {
  ENetAddress address{htonl(ip), port};
  ENetPeer* peer = enet_host_connect(host_, &address, kChannels, kConnectTag);
  if (!peer) return nullptr;
  peer->data = &gOutgoing;
  const auto settled = [peer] {
    return peer->state == ENET_PEER_STATE_CONNECTED || peer->state == ENET_PEER_STATE_DISCONNECTED;
  };
  if (serveUntil(settled) && peer->state == ENET_PEER_STATE_CONNECTED) return peer;
  peer->data = nullptr;
  if (peer->state != ENET_PEER_STATE_DISCONNECTED) enet_peer_reset(peer);
  return nullptr;
}

}  // namespace korvo::stdlib::net
