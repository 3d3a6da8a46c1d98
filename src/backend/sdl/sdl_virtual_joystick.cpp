// The simulated joystick on SDL's virtual joystick driver.
#include "backend/sdl/sdl_virtual_joystick.h"

#include <SDL.h>

namespace korvo::platform {

SdlVirtualJoystick::~SdlVirtualJoystick() { unplug(); }

bool SdlVirtualJoystick::plugIn(bool gamepad) {
  if (device_ >= 0 || SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) return false;
  const SDL_JoystickType type = gamepad ? SDL_JOYSTICK_TYPE_GAMECONTROLLER : SDL_JOYSTICK_TYPE_UNKNOWN;
  device_ = SDL_JoystickAttachVirtual(type, 2, 4, 0);
  if (device_ < 0) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
  return device_ >= 0;
}

void SdlVirtualJoystick::unplug() {
  if (device_ < 0) return;
  SDL_JoystickDetachVirtual(device_);
  SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
  device_ = -1;
}

void SdlVirtualJoystick::setButton(int button, bool down) {
  // Opened for the moment only, so the device stays free for the source to reopen.
  SDL_Joystick* j = device_ >= 0 ? SDL_JoystickOpen(device_) : nullptr;
  if (!j) return;
  SDL_JoystickSetVirtualButton(j, button, down ? 1 : 0);
  SDL_JoystickClose(j);
}

}  // namespace korvo::platform
