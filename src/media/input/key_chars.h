// Key numbers to characters: a fixed US keyboard layout read from the scan code and the
// modifier keys alone, whatever layout the desktop uses. Caps Lock and Num Lock never apply.
#pragma once

#include <cstdint>

namespace korvo::platform {

// Key numbers of the keys the runtime names (scan code, plus 128 for extended keys).
enum KeyNumber : std::int32_t {
  kKeyEscape = 1,
  kKeyLeftControl = 29,
  kKeyLeftShift = 42,
  kKeyRightShift = 54,
  kKeyLeftAlt = 56,
  kKeyRightControl = 157,
  kKeyRightAlt = 184,
  kKeyHome = 199,
  kKeyUp = 200,
  kKeyPageUp = 201,
  kKeyLeft = 203,
  kKeyRight = 205,
  kKeyEnd = 207,
  kKeyDown = 208,
  kKeyPageDown = 209,
  kKeyInsert = 210,
  kKeyDelete = 211,
};

// Which modifiers are held.
struct KeyModifiers {
  bool shift = false;
  bool control = false;
  bool alt = false;
};

// The character key k gives with those modifiers, or 0 when it gives none (or several).
std::int32_t keyToChar(std::int32_t k, KeyModifiers modifiers);

}  // namespace korvo::platform
