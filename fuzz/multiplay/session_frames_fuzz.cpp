// The session layer's decoding of what peers send: a host and a joiner each fed a stream of
// link events and frames taken from the input, and the bare datagrams decoded on their own.
// A session must never exceed its limits whatever arrives.
#include <algorithm>
#include <cstdint>
#include <vector>

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
      case 0:
        core.connected(link, {0, 0x7F000001, static_cast<std::uint16_t>(link)}, op);
        break;
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
      case 4:
        core.disconnected(link, op & 0x40);
        break;
      case 5:
        core.expirePending(op * 100u, 1000);
        break;
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
          if (event.kind == Event::Kind::kMessage && !readFrame(ByteView(
                  reinterpret_cast<const std::uint8_t*>(event.data.data()), event.data.size()), frame)) {
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
