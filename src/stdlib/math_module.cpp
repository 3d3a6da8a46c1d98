// The math module: its life in the runtime and its registrations.
#include "host/runtime_modules.h"

namespace korvo {

bool createMathModule() { return true; }
void destroyMathModule() {}
void registerMathCommands(Registrar&) {}

}  // namespace korvo
