// The audio module: its life in the runtime and its registrations.
#include "host/runtime_modules.h"

namespace korvo {

bool createAudioModule() { return true; }
void destroyAudioModule() {}
void registerAudioCommands(Registrar&) {}

}  // namespace korvo
