// RecordOf<T>: a module's way to the state it keeps for a run. The state lives in a record
// of the running host (made when first asked for, destroyed with the host); the way to it is
// looked up once and forgotten when the record goes, so once found it costs one load. The
// type names the record: each module keeps state of a type of its own.
#pragma once

#include "host/runtime_host.h"

namespace korvo::platform {

template <typename T>
class RecordOf final : public HostRecord {
 public:
  ~RecordOf() override { gLive = nullptr; }

  // The running host's state, or null when no host runs.
  static T* find() {
    if (!gLive) gLive = RuntimeHost::currentRecord<RecordOf>();
    return gLive ? &gLive->state_ : nullptr;
  }
  // The state only if it was made already: for teardown, which must not make one.
  static T* existing() { return gLive ? &gLive->state_ : nullptr; }

 private:
  T state_;
  static inline RecordOf* gLive = nullptr;
};

}  // namespace korvo::platform
