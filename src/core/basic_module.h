// The basic module: the language core's part of the runtime (string pool, objects, data).
#pragma once

#include "base/runtime_module.h"

namespace korvo {

KORVO_DECLARE_MODULE(Basic)

}  // namespace korvo
