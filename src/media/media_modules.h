// The graphics module (display, canvases, images, text) and the input module.
#pragma once

#include "base/runtime_module.h"

namespace korvo {

KORVO_DECLARE_MODULE(Graphics)
KORVO_DECLARE_MODULE(Input)

}  // namespace korvo
