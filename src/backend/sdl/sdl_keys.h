// Key numbers from SDL scancodes: the keyboard scan code, plus 128 for extended keys.
#pragma once

#include <SDL.h>

#include <cstdint>

namespace korvo::platform {

// The runtime key number of an SDL scancode; 0 for keys that have none.
std::int32_t keyNumber(SDL_Scancode scancode);

}  // namespace korvo::platform
