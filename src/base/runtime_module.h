// The routines every runtime module defines: its create and destroy routines, which start
// and end its part of the runtime, and its registration routine, which hands its commands to
// the command table. Start-up lists the modules and runs them in their fixed order.
#pragma once

#include "base/command_registry.h"

// Declares the three routines of module name (inside namespace korvo).
#define KORVO_DECLARE_MODULE(name) \
  bool create##name##Module();     \
  void destroy##name##Module();    \
  void register##name##Commands(Registrar& registrar);
