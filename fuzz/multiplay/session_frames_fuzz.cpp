// The session layer's decoding of what peers send: a host and a joiner each fed a stream of
// link events and frames taken from the input, and the bare datagrams decoded on their own.
// A session must never exceed its limits whatever arrives.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "fuzz_seeds.h"
#include "stdlib/multiplay/session_core.h"

namespace {

using namespace korvo::stdlib::net;

class NullLinks : public Links {
 public:
  void send(Link, ByteView frame, bool) override { sentBytes += frame.size(); }
  void drop(Link) override {}
  std::size_t sentBytes = 0;
};

constexpr Link kLinks = 4;

void check(const SessionCore& core) {
  if (core.memberCount() >= kMaxPeers || core.playerCount() > kMaxPlayers) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const ByteView input(data, size);
  SessionAd ad;
  decodeAd(input, ad);
  isQuery(input);

  NullLinks links;
  SessionCore host(links, 7, "game", SessionCore::kCreate);
  SessionCore joiner(links, 7, "game", SessionCore::kJoin);
  joiner.connected(1, {0, 0x7F000001, 1}, 0);
  joiner.requestJoin(1);
  std::int32_t local = host.addLocalPlayer("host");
  std::size_t at = 0;
  while (at < size) {
    const std::uint8_t op = data[at++];
    SessionCore& core = (op & 0x80) ? joiner : host;
    const Link link = 1 + (op & 3);
    switch ((op >> 2) & 7) {
      case 0: core.connected(link, {0, 0x7F000001, static_cast<std::uint16_t>(link)}, op); break;
      case 1:
      case 2:
      case 3: {
        std::size_t length = at < size ? data[at++] : 0;
        if ((op >> 2 & 7) == 3 && at < size) length = length << 8 | data[at++];
        length = std::min(length, size - at);
        core.received(link, input.subspan(at, length));
        at += length;
        break;
      }
      case 4: core.disconnected(link, op & 0x40); break;
      case 5: core.expirePending(op * 100u, 1000); break;
      case 6: {
        if (local == 0) local = core.addLocalPlayer("p");
        std::vector<std::uint8_t> frame(kFrameHeaderBytes);
        writeFrame(frame.data(), local, op & 0x40 ? 0 : 0x20001, 1, {});
        core.sendFrame(frame, local, op & 0x40 ? 0 : 0x20001, op & 1);
        break;
      }
      default: {
        Event event;
        while (core.nextEvent(event)) {
          Frame frame;
          if (event.kind == Event::Kind::kMessage &&
              !readFrame(ByteView(reinterpret_cast<const std::uint8_t*>(event.data.data()), event.data.size()),
                         frame)) {
            __builtin_trap();
          }
        }
        break;
      }
    }
    check(host);
    check(joiner);
  }
  return 0;
}

namespace {

// An operation byte: 0x80 picks the joiner, the low two bits the link, bits 2-4 the kind.
enum : std::uint8_t { kConnect = 0 << 2, kReceive = 1 << 2, kBreak = 4 << 2, kDrain = 7 << 2, kJoiner = 0x80 };

Bytes frame(std::int32_t from, std::int32_t to, Control type, const Bytes& data) {
  Bytes f(kFrameHeaderBytes + data.size());
  writeFrame(f.data(), from, to, static_cast<std::int32_t>(type), data);
  return f;
}

Bytes message(std::int32_t from, std::int32_t type, std::string_view text) {
  Bytes f(kFrameHeaderBytes + text.size());
  writeFrame(f.data(), from, 0, type, ByteView(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
  return f;
}

// Appends a receive operation: the op byte, the length and the frame.
void receive(korvo::fuzz::Bytes& out, std::uint8_t side, std::uint8_t link, const Bytes& f) {
  out.push_back(static_cast<std::uint8_t>(side | kReceive | (link - 1)));
  out.push_back(static_cast<std::uint8_t>(f.size()));
  out.insert(out.end(), f.begin(), f.end());
}

}  // namespace

void korvo::fuzz::makeSeeds(Seeds& seeds) {
  const Bytes join = frame(0, 0, Control::kJoin, encodeJoin(7));
  Bytes joined{kConnect | 1};
  receive(joined, 0, 2, join);
  joined.push_back(kDrain);
  seeds.add("join", joined);

  Bytes talk{kConnect | 1};
  receive(talk, 0, 2, join);
  receive(talk, 0, 2, frame(0, 0, Control::kPlayerAdded, encodePlayerAdded(0x20001, "bob")));
  receive(talk, 0, 2, frame(0, 0, Control::kReady, encodeReady()));
  receive(talk, 0, 2, message(0x20001, 5, "hello"));
  talk.push_back(kDrain);
  talk.push_back(kBreak | 0x40 | 1);
  talk.push_back(kDrain);
  seeds.add("join_player_message_lost", talk);

  Bytes hello{kConnect | 2};
  receive(hello, 0, 3, frame(0, 0, Control::kHello, encodeHello(7, 5)));
  receive(hello, 0, 3, frame(0, 0, Control::kPlayerAdded, encodePlayerAdded(0x50001, "eve")));
  receive(hello, 0, 3, frame(0, 0, Control::kPlayerRemoved, encodePlayerRemoved(0x50001)));
  hello.push_back(kBreak | 2);
  hello.push_back(kDrain);
  seeds.add("hello_then_leave", hello);

  Bytes welcome;
  receive(welcome, kJoiner, 1, frame(0, 0, Control::kWelcome, encodeWelcome({2, 1, {{3, 0x7F000001, 2351}}})));
  receive(welcome, kJoiner, 1, frame(0, 0, Control::kPlayerAdded, encodePlayerAdded(0x10001, "host")));
  receive(welcome, kJoiner, 1, message(0x10001, 9, "x"));
  welcome.push_back(kJoiner | kDrain);
  seeds.add("welcome", welcome);

  seeds.add("advert", encodeAd({7, 2, "game"}));
  seeds.add("query", encodeQuery());
}
