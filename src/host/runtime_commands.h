// Commands and routines of the runtime module: ending, errors and the debug hooks.
#pragma once

#include <cstdint>

#include "core/kv_string.h"

namespace korvo::cmd {

void End();
void Stop();
void RuntimeError(KvString* message);
void DebugLog(KvString* text);
void kvDebugStmt(std::int32_t a, std::int32_t b);
void kvDebugEnter(std::int32_t a, std::int32_t b, std::int32_t c);
void kvDebugLeave();

}  // namespace korvo::cmd
