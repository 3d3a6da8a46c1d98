// The bank module: its life in the runtime and its registrations.
#include "host/runtime_modules.h"

namespace korvo {

bool createBankModule() { return true; }
void destroyBankModule() {}
void registerBankCommands(Registrar&) {}

}  // namespace korvo
