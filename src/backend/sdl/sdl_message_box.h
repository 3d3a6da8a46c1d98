// SDL's message boxes: owned by the SDL window while it is shown, else with no owner (before
// any window exists, as for start-up failures).
#pragma once

#include "backend/message_box.h"

struct SDL_Window;

namespace korvo::platform {

// Shows the request in an SDL box; falls back to standard error when SDL cannot show one.
BoxAnswer showSdlMessageBox(const MessageBoxRequest& request);

// The window that owns the boxes while it is shown (the SDL video backend's); null for none.
void setSdlMessageBoxOwner(SDL_Window* window);

}  // namespace korvo::platform
