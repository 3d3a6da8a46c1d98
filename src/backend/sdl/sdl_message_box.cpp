// The ownerless SDL message box.
#include "backend/sdl/sdl_message_box.h"

#include <SDL.h>

#include <cstdio>

namespace korvo::platform {

BoxAnswer showOwnerlessSdlBox(const MessageBoxRequest& request) {
  const Uint32 flags = request.icon == BoxIcon::kWarning ? SDL_MESSAGEBOX_WARNING : SDL_MESSAGEBOX_INFORMATION;
  if (SDL_ShowSimpleMessageBox(flags, request.caption.c_str(), request.text.c_str(), nullptr) != 0) {
    std::fprintf(stderr, "%s\n", request.text.c_str());
  }
  return BoxAnswer::kOk;
}

}  // namespace korvo::platform
