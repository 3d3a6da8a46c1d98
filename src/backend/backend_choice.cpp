// Backend choice from KORVO_VIDEO and the presence of a display.
#include "backend/backend_choice.h"

#include <cstdlib>
#include <cstring>

namespace korvo::platform {

bool displayAvailable() {
  const char* x = std::getenv("DISPLAY");
  const char* wl = std::getenv("WAYLAND_DISPLAY");
  return (x && *x) || (wl && *wl);
}

VideoBackendKind chosenVideoBackend() {
  const char* env = std::getenv("KORVO_VIDEO");
  if (env && std::strcmp(env, "headless") == 0) return VideoBackendKind::kHeadless;
  if (env && std::strcmp(env, "sdl") == 0) return VideoBackendKind::kSdl;
  return displayAvailable() ? VideoBackendKind::kSdl : VideoBackendKind::kHeadless;
}

}  // namespace korvo::platform
