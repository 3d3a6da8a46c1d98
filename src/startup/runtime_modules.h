// The runtime's modules: their create and destroy routines, their registration routines,
// and the fixed order in which they come and go.
#pragma once

#include <span>

#include "base/command_registry.h"
#include "core/basic_module.h"
#include "host/runtime_module.h"
#include "media/media_modules.h"
#include "sound/audio/audio_module.h"
#include "stdlib/stdlib_modules.h"

namespace korvo {

struct RuntimeModule {
  const char* name;
  bool (*create)();
  void (*destroy)();
  const char* failureMessage;
  // Hands the module's commands to the command table (none for korvo3d).
  void (*registerCommands)(Registrar& registrar) = nullptr;
};

// basic, math, string, stream, sockets, filesystem, bank, graphics, input, audio,
// multiplay, korvo3d.
std::span<const RuntimeModule> runtimeModules();

// Registers the runtime module's commands, then every module's in table order.
void registerAllCommands(Registrar& registrar);

}  // namespace korvo
