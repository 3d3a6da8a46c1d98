// The session layer's wire format. Every packet between peers is a frame: from (4 bytes),
// to (4), type (1, read as a signed byte) and data, numbers little-endian. A frame from a
// player (from not 0) is a program's message; a frame from 0 is the session layer's own,
// its type saying which. Session queries and their answers are bare datagrams of their own.
// Decoding checks every size: a frame that does not fit is refused.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace korvo::stdlib::net {

using Bytes = std::vector<std::uint8_t>;
using ByteView = std::span<const std::uint8_t>;

inline constexpr std::size_t kFrameHeaderBytes = 9;
// The longest message text a peer sends or takes.
inline constexpr std::size_t kMaxMessageBytes = std::size_t{1} << 20;
// The longest player or session name on the wire.
inline constexpr std::size_t kMaxNameBytes = 255;
// Peers in one session, this process included, and players in it.
inline constexpr std::size_t kMaxPeers = 64;
inline constexpr std::size_t kMaxPlayers = 256;

struct Frame {
  std::int32_t from = 0;
  std::int32_t to = 0;
  std::int8_t type = 0;
  ByteView data;
};

// Writes the frame's header and data at the start of out (which must hold them all).
void writeFrame(std::uint8_t* out, std::int32_t from, std::int32_t to, std::int32_t type, ByteView data);
// False for a frame shorter than its header or with more data than a message may carry.
bool readFrame(ByteView bytes, Frame& frame);

// The session layer's frames (from 0), by type.
enum class Control : std::int8_t {
  kJoin = 1,           // joiner to host: session id
  kWelcome = 2,        // host to joiner: its peer id, the host's, and the other members
  kHello = 3,          // joiner to member: session id and the joiner's peer id
  kPlayerAdded = 4,    // the sender's new player: id and name
  kPlayerRemoved = 5,  // the sender's player has gone: id
  kReady = 6,          // the sender's players have all been told
};

struct MemberAddress {
  std::uint32_t peerId = 0;
  std::uint32_t ip = 0;  // host byte order
  std::uint16_t port = 0;
  bool operator==(const MemberAddress&) const = default;
};

struct Welcome {
  std::uint32_t yourId = 0;
  std::uint32_t hostId = 0;
  std::vector<MemberAddress> members;
};

Bytes encodeJoin(std::uint32_t sessionId);
Bytes encodeWelcome(const Welcome& welcome);
Bytes encodeHello(std::uint32_t sessionId, std::uint32_t peerId);
Bytes encodePlayerAdded(std::int32_t player, std::string_view name);
Bytes encodePlayerRemoved(std::int32_t player);
Bytes encodeReady();

// Each takes a control frame's data; false when its size or contents are wrong.
bool decodeJoin(ByteView data, std::uint32_t& sessionId);
bool decodeWelcome(ByteView data, Welcome& welcome);
bool decodeHello(ByteView data, std::uint32_t& sessionId, std::uint32_t& peerId);
bool decodePlayerAdded(ByteView data, std::int32_t& player, std::string& name);
bool decodePlayerRemoved(ByteView data, std::int32_t& player);
bool decodeReady(ByteView data);

// A session as a host describes it to a query.
struct SessionAd {
  std::uint32_t sessionId = 0;
  std::uint8_t peers = 0;
  std::string name;
};

Bytes encodeQuery();
bool isQuery(ByteView datagram);
Bytes encodeAd(const SessionAd& ad);
// False for anything that is not a well-formed answer.
bool decodeAd(ByteView datagram, SessionAd& ad);
// True when a datagram starts like a query or an answer (it is then not for the transport).
bool isSessionDatagram(ByteView datagram);

}  // namespace korvo::stdlib::net
