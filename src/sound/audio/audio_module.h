// The audio module: the audio commands over the sound engine.
#pragma once

#include "base/runtime_module.h"

namespace korvo {

KORVO_DECLARE_MODULE(Audio)

}  // namespace korvo
