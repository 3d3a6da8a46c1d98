// The multiplay module: its life in the runtime and its registrations.
#include "stdlib/stdlib_modules.h"

namespace korvo {

bool createMultiplayModule() { return true; }
void destroyMultiplayModule() {}
void registerMultiplayCommands(Registrar&) {}

}  // namespace korvo
