// The session dialog of StartNetGame, drawn by the runtime in its own window.
#pragma once

#include <cstdint>

namespace korvo::stdlib {

// Shows the dialog until the user joins a game (1), creates one (2) or cancels (0).
std::int32_t runSessionDialog();

}  // namespace korvo::stdlib
