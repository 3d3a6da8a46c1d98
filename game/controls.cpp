// Control sets and input codes: seven control slots, each with a code in each of six sets;
// codes 1 to 255 are keys, codes from 300 on belong to the joystick ports.
#include "tobrix.hpp"

namespace {

// Default codes per set (rows) for slots 1 to 7: up, down, left, right and three buttons.
constexpr int32_t kDefaultKeys[6][7] = {
    {200, 208, 203, 205, 45, 44, 46}, {17, 31, 30, 32, 37, 36, 38}, {302, 303, 300, 301, 323, 321, 322},
    {312, 313, 310, 311, 0, 0, 0},    {72, 76, 75, 77, 71, 29, 73},  {0, 80, 0, 0, 57, 157, 28},
};
constexpr const char* kLabels[4] = {"Cursors, Z/C, X", "WASD, J/L, K", "Joypad", "..."};

int32_t axis(float value, float threshold, int32_t positive) {
  return positive ? value > threshold : value < -threshold;
}

int32_t hatIs(int32_t port, int32_t a, int32_t b, int32_t c) {
  const int32_t hat = korvo::JoyHat(port);
  return hat == a || hat == b || hat == c;
}

int32_t joystickCode(int32_t port, int32_t code, float threshold) {
  using namespace korvo;
  switch (code) {
    case 0: case 1: return axis(JoyX(port), threshold, code & 1);
    case 2: case 3: return axis(JoyY(port), threshold, code & 1);
    case 4: case 5: return axis(JoyZ(port), threshold, code & 1);
    case 6: case 7: return axis(JoyU(port), threshold, code & 1);
    case 8: case 9: return axis(JoyV(port), threshold, code & 1);
    case 10: return hatIs(port, 270, 315, 225);
    case 11: return hatIs(port, 90, 45, 135);
    case 12: return hatIs(port, 0, 315, 45);
    case 13: return hatIs(port, 180, 225, 135);
    default: return code >= 21 && code <= 39 && JoyDown(code - 20, port) ? 1 : 0;
  }
}

}  // namespace

void setupcontrols() {
  key.dim(10, 10);
  keylabel.dim(10);
  useskey.dim(10);
  for (int32_t set = 1; set <= 6; ++set) {
    for (int32_t slot = 1; slot <= 7; ++slot) key(slot, set) = kDefaultKeys[set - 1][slot - 1];
  }
  for (int32_t set = 1; set <= 4; ++set) keylabel(set) = kLabels[set - 1];
  for (int32_t slot = 1; slot <= 10; ++slot) useskey(slot) = 1;
}

int32_t hitbutton(int32_t code, float threshold) {
  if (code <= 0) return 0;
  if (code <= 255) return korvo::KeyDown(code) ? 1 : 0;
  for (int32_t port = 0; port <= portsenabled; ++port) {
    const int32_t base = 300 + 50 * port;
    // A port without a joystick reads 0 on every axis, and a hat at 0 would be "up".
    if (code >= base && code <= base + 39) return korvo::JoyType(port) ? joystickCode(port, code - base, threshold) : 0;
  }
  return 0;
}

int32_t down(int32_t slot) {
  int32_t held = 0;
  for (int32_t set = 1; set <= 6; ++set) held += hitbutton(key(slot, set), 0.5f);
  return held;
}

void whichset(int32_t slot) {
  for (int32_t set = 1; set <= 6; ++set) {
    if (hitbutton(key(slot, set), 0.5f)) useskey(slot) = set;
  }
}

// Escape, read apart from the control sets: it leaves menus and pauses play.
int32_t escapedown() { return korvo::KeyDown(1) ? 1 : 0; }

int32_t anyslotdown() {
  for (int32_t slot = 1; slot <= 7; ++slot) {
    if (down(slot)) return 1;
  }
  return 0;
}
