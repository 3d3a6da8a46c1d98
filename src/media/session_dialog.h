// The session dialog of StartNetGame: the runtime's own dialog, drawn over the program's
// picture in its window (which comes back afterwards) and worked with the mouse and the
// keyboard, headless by the input script. What it does with the network it leaves to the
// actions it is given.
#pragma once

#include <cstdint>

#include "host/session_dialog.h"

namespace korvo::platform {

// Shows the dialog until a game is joined (1) or created (2), or the user cancels (0).
// Ends the program quietly when the host is told to end meanwhile.
std::int32_t showSessionDialog(SessionDialogActions& actions);

}  // namespace korvo::platform
