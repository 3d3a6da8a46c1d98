// The shared runtime library: its exported entry points live in the start-up folder; this unit
// only gives the library a source of its own.
#include "startup/runtime_interface.h"
