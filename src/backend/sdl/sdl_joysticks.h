// Joysticks from SDL: game controllers (type 1, with the standard layout mapped onto the
// joystick slots) and other joysticks (type 2, axes, first hat and buttons as they come).
#pragma once

#include "backend/joystick_source.h"

namespace korvo::platform {

// The SDL joystick source; opens SDL's game controller subsystem when it enumerates.
JoystickSource& sdlJoysticks();

}  // namespace korvo::platform
