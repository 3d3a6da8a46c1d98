// The host's system commands: the title, ExecFile, timing, timers, the command line,
// environment and properties, and the pointer.
#pragma once

#include <cstdint>

#include "core/kv_string.h"

namespace korvo::cmd {

void AppTitle(KvString* title, KvString* closePrompt);
void ExecFile(KvString* command);
void Delay(std::int32_t millisecs);
std::int32_t MilliSecs();
KvString* CommandLine();
KvString* SystemProperty(KvString* property);
KvString* GetEnv(KvString* name);
void SetEnv(KvString* name, KvString* value);
std::int32_t CreateTimer(std::int32_t hertz);
std::int32_t WaitTimer(std::int32_t timer);
void FreeTimer(std::int32_t timer);
void ShowPointer();
void HidePointer();

}  // namespace korvo::cmd
