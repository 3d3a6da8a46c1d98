// The live-stream set. Streams own themselves (their module holds them); this set only
// maps handles to the live ones so that every stream command can check a handle.
#include "stdlib/kv_stream.h"

#include "base/handle_registry.h"

namespace korvo::stdlib {
namespace {

HandleTable<KvStream>& liveStreams() {
  static HandleTable<KvStream> streams;
  return streams;
}

}  // namespace

KvStream::KvStream() : handle_(liveStreams().add(this)) {}

KvStream::~KvStream() { liveStreams().erase(handle_); }

KvStream* findStream(std::int32_t handle) { return liveStreams().find(handle); }

KvStream* requireStream(std::int32_t handle) { return liveStreams().require(handle, "Stream does not exist"); }

std::size_t liveStreamCount() { return liveStreams().size(); }

}  // namespace korvo::stdlib
