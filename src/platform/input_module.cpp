// The input module: its life in the runtime and its registrations.
#include "host/runtime_modules.h"

namespace korvo {

bool createInputModule() { return true; }
void destroyInputModule() {}
void registerInputCommands(Registrar&) {}

}  // namespace korvo
