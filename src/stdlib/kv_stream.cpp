// The live-stream set. Streams own themselves (their module holds them); this set only
// maps handles to the live ones so that every stream command can check a handle.
#include "stdlib/kv_stream.h"

#include <unordered_map>

#include "base/kv_ex.h"

namespace korvo::stdlib {
namespace {

struct LiveStreams {
  std::unordered_map<std::int32_t, KvStream*> byHandle;
  std::int32_t next = 1;
};

LiveStreams& live() {
  static LiveStreams streams;
  return streams;
}

}  // namespace

KvStream::KvStream() : handle_(live().next++) { live().byHandle.emplace(handle_, this); }

KvStream::~KvStream() { live().byHandle.erase(handle_); }

KvStream* findStream(std::int32_t handle) {
  auto& map = live().byHandle;
  auto it = map.find(handle);
  return it == map.end() ? nullptr : it->second;
}

KvStream* requireStream(std::int32_t handle) {
  KvStream* stream = findStream(handle);
  if (!stream && debugMode()) raiseError("Stream does not exist");
  return stream;
}

std::size_t liveStreamCount() { return live().byHandle.size(); }

}  // namespace korvo::stdlib
