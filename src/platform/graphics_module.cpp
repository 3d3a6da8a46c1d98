// The graphics module: its life in the runtime and its registrations.
#include "host/runtime_modules.h"

namespace korvo {

bool createGraphicsModule() { return true; }
void destroyGraphicsModule() {}
void registerGraphicsCommands(Registrar&) {}

}  // namespace korvo
