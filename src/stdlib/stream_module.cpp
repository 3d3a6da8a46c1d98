// The stream module: its life in the runtime and its registrations.
#include "host/runtime_modules.h"

namespace korvo {

bool createStreamModule() { return true; }
void destroyStreamModule() {}
void registerStreamCommands(Registrar&) {}

}  // namespace korvo
