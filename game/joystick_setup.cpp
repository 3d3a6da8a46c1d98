// Defining the joystick buttons (getjoybuts): the three action slots of the joypad set take
// whatever is pressed next, found by findbutton among the keys and the joystick's axes, hat
// and buttons.
#include "tobrix.hpp"

using namespace korvo;

namespace {

constexpr const char* kPrompts[3] = {"Push button for Left Jump", "Push button for Hold", "Push button for Right Jump"};

int32_t axisfound(float value, float threshold, int32_t below, int32_t above) {
  if (value < -threshold) return below;
  if (value > threshold) return above;
  return 0;
}

void prompt(const char* text) {
  Cls();
  SetFont(font(5));
  Text(400, 300, text, 1, 1);
  Flip(1);
}

}  // namespace

// The input code of what is held (later finds win), 0 when nothing is.
int32_t findbutton(float threshold, int32_t ports, int32_t allaxes) {
  int32_t found = 0;
  for (int32_t k = 1; k <= 255; ++k) {
    if (KeyDown(k)) found = k;
  }
  for (int32_t p = 0; p < ports; ++p) {
    if (!JoyType(p)) continue;  // nothing there, and its hat would read as "up"
    const int32_t base = 300 + 50 * p;
    const float axes[5] = {JoyX(p), JoyY(p), allaxes ? JoyZ(p) : 0.0f, allaxes ? JoyU(p) : 0.0f, allaxes ? JoyV(p) : 0.0f};
    for (int32_t a = 0; a < 5; ++a) {
      if (const int32_t code = axisfound(axes[a], threshold, base + 2 * a, base + 2 * a + 1)) found = code;
    }
    const int32_t hat = JoyHat(p);
    const int32_t hats[4] = {270, 90, 0, 180};
    for (int32_t h = 0; h < 4; ++h) {
      if (hat == hats[h]) found = base + 10 + h;
    }
    // Buttons 1 to 19: the codes the control sets can read back.
    for (int32_t b = 1; b <= 19; ++b) {
      if (JoyDown(b, p)) found = base + 20 + b;
    }
  }
  return found;
}

void getjoybuts() {
  Color(50, 50, 180);
  // What chose this entry is still held: give it a moment to be let go (the pump has to run
  // for a release to be seen), else leave everything as it was.
  for (int32_t polls = 1; findbutton(0.5f, 1, 0); ++polls) {
    if (polls >= 99) return;
    Delay(10);
  }
  for (int32_t slot = 5; slot <= 7; ++slot) {
    int32_t code = 0;
    while (!code) {
      prompt(kPrompts[slot - 5]);
      code = findbutton(0.5f, 1, 0);
    }
    key(slot, 3) = code;
    while (findbutton(0.5f, 1, 0)) prompt(kPrompts[slot - 5]);
  }
}
