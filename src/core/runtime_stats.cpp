// RuntimeStats: three log lines through the program's debug hooks (nothing when there are none).
#include "core/runtime_stats.h"

#include <cstdint>
#include <string>

#include "core/kv_object.h"
#include "core/kv_string.h"
#include "base/debug_hooks.h"
#include "base/kv_ex.h"

namespace korvo::cmd {

void RuntimeStats() {
  DebugHooks* hooks = currentHooks();
  if (!hooks) return;
  const std::pair<const char*, std::int32_t> lines[] = {
      {"Active strings :", core::liveStringCount()},
      {"Active objects :", core::activeObjectCount()},
      {"Unreleased objs:", core::unreleasedObjectCount()},
  };
  for (const auto& [label, count] : lines) hooks->log((label + std::to_string(count)).c_str());
}

}  // namespace korvo::cmd
