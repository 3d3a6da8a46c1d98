// The runtime's modules: their create and destroy routines, their registration routines,
// and the fixed order in which they come and go.
#pragma once

#include <span>

#include "host/command_registry.h"

namespace korvo {

struct RuntimeModule {
  const char* name;
  bool (*create)();
  void (*destroy)();
  const char* failureMessage;
};

// basic, math, string, stream, sockets, filesystem, bank, graphics, input, audio,
// multiplay, korvo3d.
std::span<const RuntimeModule> runtimeModules();

// Runs every registration routine in table order: runtime, basic, math, string, stream,
// sockets, filesystem, bank, graphics, input, audio, multiplay.
void registerAllCommands(Registrar& registrar);

// Each module's routines, defined in the module's own folder.
#define KORVO_DECLARE_MODULE(name)        \
  bool create##name##Module();            \
  void destroy##name##Module();           \
  void register##name##Commands(Registrar& registrar);

KORVO_DECLARE_MODULE(Basic)
KORVO_DECLARE_MODULE(Math)
KORVO_DECLARE_MODULE(String)
KORVO_DECLARE_MODULE(Stream)
KORVO_DECLARE_MODULE(Sockets)
KORVO_DECLARE_MODULE(Filesystem)
KORVO_DECLARE_MODULE(Bank)
KORVO_DECLARE_MODULE(Graphics)
KORVO_DECLARE_MODULE(Input)
KORVO_DECLARE_MODULE(Audio)
KORVO_DECLARE_MODULE(Multiplay)
#undef KORVO_DECLARE_MODULE

void registerRuntimeCommands(Registrar& registrar);

}  // namespace korvo
