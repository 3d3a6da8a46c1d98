// The shared runtime library: its exported entry points live in the host folder; this unit
// only gives the library a source of its own.
#include "host/runtime_interface.h"
