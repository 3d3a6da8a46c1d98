// The sockets module: its life in the runtime and its registrations.
#include "host/runtime_modules.h"

namespace korvo {

bool createSocketsModule() { return true; }
void destroySocketsModule() {}
void registerSocketsCommands(Registrar&) {}

}  // namespace korvo
