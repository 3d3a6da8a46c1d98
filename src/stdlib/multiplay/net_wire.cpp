// Encoding and checked decoding of the session layer's frames and datagrams.
#include "stdlib/multiplay/net_wire.h"

#include <cstring>

namespace korvo::stdlib::net {
namespace {

constexpr std::uint8_t kVersion = 1;
constexpr char kQueryMagic[4] = {'K', 'V', 'N', 'Q'};
constexpr char kAdMagic[4] = {'K', 'V', 'N', 'S'};
constexpr std::size_t kQueryBytes = 5;
constexpr std::size_t kAdHeaderBytes = 10;
constexpr std::size_t kWelcomeHeaderBytes = 9;
constexpr std::size_t kMemberBytes = 10;

std::uint32_t get32(const std::uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::uint16_t get16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

void put32(Bytes& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void put16(Bytes& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void putText(Bytes& out, std::string_view text) { out.insert(out.end(), text.begin(), text.end()); }

bool startsWith(ByteView bytes, const char (&magic)[4]) {
  return bytes.size() >= 4 && std::memcmp(bytes.data(), magic, 4) == 0;
}

}  // namespace

void writeFrame(std::uint8_t* out, std::int32_t from, std::int32_t to, std::int32_t type, ByteView data) {
  for (int i = 0; i < 4; ++i) {
    out[i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(from) >> (8 * i));
    out[4 + i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(to) >> (8 * i));
  }
  out[8] = static_cast<std::uint8_t>(type);
  if (!data.empty()) std::memcpy(out + kFrameHeaderBytes, data.data(), data.size());
}

bool readFrame(ByteView bytes, Frame& frame) {
  if (bytes.size() < kFrameHeaderBytes || bytes.size() - kFrameHeaderBytes > kMaxMessageBytes) return false;
  frame.from = static_cast<std::int32_t>(get32(bytes.data()));
  frame.to = static_cast<std::int32_t>(get32(bytes.data() + 4));
  frame.type = static_cast<std::int8_t>(bytes[8]);
  frame.data = bytes.subspan(kFrameHeaderBytes);
  return true;
}

Bytes encodeJoin(std::uint32_t sessionId) {
  Bytes out;
  put32(out, sessionId);
  return out;
}

Bytes encodeWelcome(const Welcome& welcome) {
  Bytes out;
  put32(out, welcome.yourId);
  put32(out, welcome.hostId);
  out.push_back(static_cast<std::uint8_t>(welcome.members.size()));
  for (const MemberAddress& m : welcome.members) {
    put32(out, m.peerId);
    put32(out, m.ip);
    put16(out, m.port);
  }
  return out;
}

Bytes encodeHello(std::uint32_t sessionId, std::uint32_t peerId) {
  Bytes out;
  put32(out, sessionId);
  put32(out, peerId);
  return out;
}

Bytes encodePlayerAdded(std::int32_t player, std::string_view name) {
  Bytes out;
  put32(out, static_cast<std::uint32_t>(player));
  putText(out, name.substr(0, kMaxNameBytes));
  return out;
}

Bytes encodePlayerRemoved(std::int32_t player) {
  Bytes out;
  put32(out, static_cast<std::uint32_t>(player));
  return out;
}

Bytes encodeReady() { return {}; }

bool decodeJoin(ByteView data, std::uint32_t& sessionId) {
  if (data.size() != 4) return false;
  sessionId = get32(data.data());
  return true;
}

bool decodeWelcome(ByteView data, Welcome& welcome) {
  if (data.size() < kWelcomeHeaderBytes) return false;
  const std::size_t count = data[8];
  // The joiner and the host are members too.
  if (count > kMaxPeers - 2 || data.size() != kWelcomeHeaderBytes + count * kMemberBytes) return false;
  welcome.yourId = get32(data.data());
  welcome.hostId = get32(data.data() + 4);
  welcome.members.clear();
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t* p = data.data() + kWelcomeHeaderBytes + i * kMemberBytes;
    welcome.members.push_back({get32(p), get32(p + 4), get16(p + 8)});
  }
  return true;
}

bool decodeHello(ByteView data, std::uint32_t& sessionId, std::uint32_t& peerId) {
  if (data.size() != 8) return false;
  sessionId = get32(data.data());
  peerId = get32(data.data() + 4);
  return true;
}

bool decodePlayerAdded(ByteView data, std::int32_t& player, std::string& name) {
  if (data.size() < 4 || data.size() - 4 > kMaxNameBytes) return false;
  player = static_cast<std::int32_t>(get32(data.data()));
  name.assign(data.begin() + 4, data.end());
  return true;
}

bool decodePlayerRemoved(ByteView data, std::int32_t& player) {
  if (data.size() != 4) return false;
  player = static_cast<std::int32_t>(get32(data.data()));
  return true;
}

bool decodeReady(ByteView data) { return data.empty(); }

Bytes encodeQuery() {
  Bytes out(kQueryMagic, kQueryMagic + 4);
  out.push_back(kVersion);
  return out;
}

bool isQuery(ByteView datagram) {
  return datagram.size() == kQueryBytes && startsWith(datagram, kQueryMagic) && datagram[4] == kVersion;
}

Bytes encodeAd(const SessionAd& ad) {
  Bytes out(kAdMagic, kAdMagic + 4);
  out.push_back(kVersion);
  put32(out, ad.sessionId);
  out.push_back(ad.peers);
  putText(out, std::string_view(ad.name).substr(0, kMaxNameBytes));
  return out;
}

bool decodeAd(ByteView datagram, SessionAd& ad) {
  if (datagram.size() < kAdHeaderBytes || datagram.size() - kAdHeaderBytes > kMaxNameBytes) return false;
  if (!startsWith(datagram, kAdMagic) || datagram[4] != kVersion) return false;
  ad.sessionId = get32(datagram.data() + 5);
  ad.peers = datagram[9];
  ad.name.assign(datagram.begin() + kAdHeaderBytes, datagram.end());
  return true;
}

bool isSessionDatagram(ByteView datagram) {
  return startsWith(datagram, kQueryMagic) || startsWith(datagram, kAdMagic);
}

}  // namespace korvo::stdlib::net
