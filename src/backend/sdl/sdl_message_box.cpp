// SDL message boxes and their owner window.
#include "backend/sdl/sdl_message_box.h"

#include <SDL.h>

namespace korvo::platform {
namespace {
SDL_Window* gOwner = nullptr;
}  // namespace

void setSdlMessageBoxOwner(SDL_Window* window) { gOwner = window; }

BoxAnswer showSdlMessageBox(const MessageBoxRequest& request) {
  const SDL_MessageBoxButtonData ok{SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "OK"};
  const SDL_MessageBoxButtonData cancel{SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "Cancel"};
  const SDL_MessageBoxButtonData buttons[] = {ok, cancel};
  SDL_MessageBoxData data{};
  data.flags = request.icon == BoxIcon::kWarning ? SDL_MESSAGEBOX_WARNING : SDL_MESSAGEBOX_INFORMATION;
  data.window = gOwner && (SDL_GetWindowFlags(gOwner) & SDL_WINDOW_SHOWN) ? gOwner : nullptr;
  data.title = request.caption.c_str();
  data.message = request.text.c_str();
  data.numbuttons = request.buttons == BoxButtons::kOkCancel ? 2 : 1;
  data.buttons = buttons;
  int pressed = 1;
  if (SDL_ShowMessageBox(&data, &pressed) != 0) return showOnStandardError(request);
  return pressed == 1 ? BoxAnswer::kOk : BoxAnswer::kCancel;
}

}  // namespace korvo::platform
