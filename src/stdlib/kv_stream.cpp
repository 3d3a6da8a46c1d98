// The live-stream set. Streams own themselves (their module holds them); this set, a
// record of the run's host, only maps handles to the live ones so that every stream command
// can check a handle.
#include "stdlib/kv_stream.h"

#include "base/handle_registry.h"
#include "base/kv_ex.h"
#include "host/host_record.h"

namespace korvo::stdlib {
namespace {

constexpr const char* kNoStream = "Stream does not exist";

using LiveStreams = platform::RecordOf<HandleTable<KvStream>>;

// The running host's stream set; null when none runs.
HandleTable<KvStream>* liveStreams() { return LiveStreams::find(); }

}  // namespace

KvStream::KvStream() {
  HandleTable<KvStream>* table = liveStreams();
  handle_ = table ? table->add(this) : 0;
}

// Only the set this stream entered: a stream outliving its host has nothing to leave.
KvStream::~KvStream() {
  HandleTable<KvStream>* table = LiveStreams::existing();
  if (table && handle_) table->erase(handle_);
}

KvStream* findStream(std::int32_t handle) {
  const HandleTable<KvStream>* table = liveStreams();
  return table ? table->find(handle) : nullptr;
}

KvStream* requireStream(std::int32_t handle) {
  KvStream* stream = findStream(handle);
  if (!stream && debugMode()) raiseError(kNoStream);
  return stream;
}

std::size_t liveStreamCount() {
  const HandleTable<KvStream>* table = liveStreams();
  return table ? table->size() : 0;
}

}  // namespace korvo::stdlib
