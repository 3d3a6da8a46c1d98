// Which video and audio backends this process uses, from the environment and the machine.
#pragma once

#include <string>

namespace korvo::platform {

enum class VideoBackendKind { kSdl, kHeadless };

// KORVO_VIDEO=sdl|headless; otherwise SDL when a display is available, headless when not.
VideoBackendKind chosenVideoBackend();

// True when an X11 or Wayland display is named in the environment.
bool displayAvailable();

}  // namespace korvo::platform
