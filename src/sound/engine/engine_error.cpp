// The process-wide last-error code.
#include "sound/engine/engine_error.h"

#include <atomic>

namespace korvo::sound {
namespace {
std::atomic<std::int32_t> gLastError{0};
}  // namespace

EngineError lastError() { return static_cast<EngineError>(gLastError.load(std::memory_order_relaxed)); }

void setError(EngineError code) { gLastError.store(static_cast<std::int32_t>(code), std::memory_order_relaxed); }

}  // namespace korvo::sound
