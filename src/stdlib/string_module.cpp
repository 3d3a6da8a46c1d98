// The string module: its life in the runtime and its registrations.
#include "host/runtime_modules.h"

namespace korvo {

bool createStringModule() { return true; }
void destroyStringModule() {}
void registerStringCommands(Registrar&) {}

}  // namespace korvo
