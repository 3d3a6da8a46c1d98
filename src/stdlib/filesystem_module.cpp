// The filesystem module: its life in the runtime and its registrations.
#include "host/runtime_modules.h"

namespace korvo {

bool createFilesystemModule() { return true; }
void destroyFilesystemModule() {}
void registerFilesystemCommands(Registrar&) {}

}  // namespace korvo
