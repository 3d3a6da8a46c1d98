// The one place that chooses backends: a table per platform contract, a row per backend,
// picked by name from the environment or by the video backend in use.
#pragma once

namespace korvo {

// Installs the choices into the contracts, once per process: the video backend maker (which
// also installs the message boxes and joysticks of the backend it makes), the message boxes
// of the chosen video backend until then, the sound device, and the clock.
void installBackends();

// Reports on standard error, with the reason, an input script (KORVO_INPUT) that cannot be
// read or is not a valid script; false then, since the run must not go on without its input.
bool inputScriptUsable();

}  // namespace korvo
