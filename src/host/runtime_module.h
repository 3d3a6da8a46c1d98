// The runtime module's registrations: ending, errors, debug hooks and the host's system
// commands. It has no create or destroy routine of its own: the host is its state.
#pragma once

#include "base/command_registry.h"

namespace korvo {

void registerRuntimeCommands(Registrar& registrar);

}  // namespace korvo
