// Message boxes before any window exists (start-up failures): SDL's own box with no owner.
#pragma once

#include "backend/message_box.h"

namespace korvo::platform {

// Shows the request in an SDL box with an OK button; falls back to standard error when SDL
// cannot show one.
BoxAnswer showOwnerlessSdlBox(const MessageBoxRequest& request);

}  // namespace korvo::platform
