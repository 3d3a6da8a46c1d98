// The SDL video backend: the one window, its events, presentation through an SDL renderer
// and a streaming texture (vsync where the driver allows; stretched in a scaled window,
// letterboxed on a desktop full-screen window), displays and their modes, the gamma ramp,
// the system cursor; message boxes are owned by its window while it shows.
#pragma once

#include <memory>

#include "backend/video_backend.h"

namespace korvo::platform {

// The SDL backend, or null when SDL cannot open its video subsystem here.
std::unique_ptr<VideoBackend> makeSdlVideo();

}  // namespace korvo::platform
