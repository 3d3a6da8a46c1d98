// The multiplay module's state.
#include "stdlib/multiplay/multiplay.h"

#include <algorithm>

#include "host/host_record.h"

namespace korvo::stdlib {
namespace {

constexpr std::size_t kFirstBufferBytes = 1024;

}  // namespace

Multiplay& multiplay() { return *platform::RecordOf<Multiplay>::find(); }

void ensureCapacity(std::vector<std::uint8_t>& buffer, std::size_t needed) {
  if (buffer.size() < needed) buffer.resize(needed + needed / 2);
}

void Multiplay::reset() {
  stop();
  sendBuffer.assign(kFirstBufferBytes, 0);
  receiveBuffer.assign(kFirstBufferBytes, 0);
  sendBuffer.shrink_to_fit();
  receiveBuffer.shrink_to_fit();
  current = {};
}

void Multiplay::stop() {
  session.reset();
  host = false;
  players.clear();
  announcements.clear();
}

void Multiplay::enter(std::unique_ptr<net::NetSession> opened, bool created) {
  players.clear();
  announcements.clear();
  session = std::move(opened);
  enumerate();
  host = created;
}

void Multiplay::enumerate() {
  if (!session) return;
  for (const net::PlayerInfo& p : session->core().remotePlayers()) {
    if (find(p.id)) continue;
    players.push_back({p.id, p.name, true});
    announcements.push_back(p.id);
  }
}

NetPlayer* Multiplay::find(std::int32_t id) {
  auto it = std::find_if(players.begin(), players.end(), [id](const NetPlayer& p) { return p.id == id; });
  return it == players.end() ? nullptr : &*it;
}

void Multiplay::forget(std::int32_t id) {
  std::erase_if(players, [id](const NetPlayer& p) { return p.id == id; });
  std::erase(announcements, id);
}

}  // namespace korvo::stdlib
