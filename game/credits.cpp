// The credits: a line of text scrolling endlessly over the top of the screen and the names
// below it, until Escape or an action button.
#include "tobrix.hpp"

using namespace korvo;

namespace {

constexpr const char* kScroller[] = {
    "Tobrix - big and chunky blocks, fifty by fifty to a level and twenty levels to a pack.      ",
    "It runs on Korvo, a runtime for compiled Korvo Basic programs, made anew in C++20 for 64-bit Linux.      ",
    "Walk, jump and climb, slide down ropes, push and pull crates, dodge darts and spikes, swim, "
    "float up on balloons, and borrow the jumper's overalls or the runner's shoes for a while.      ",
    "Every picture, sound, tune and level of the game is made from plain text when the game is built.      ",
    "Then open the Editor, draw twenty levels of your own into My Levels and test them as you go.      ",
    "Thank you for playing!      ",
};

struct CreditLine {
  const char* text;
  int32_t font, red, green, blue, y;
};

constexpr CreditLine kLines[] = {
    {"Tobrix", 8, 255, 148, 0, 100},
    {"10th anniversary edition", 3, 0, 148, 255, 137},
    {"Idea, Design, Programming, Gfx, Sound, Music", 2, 255, 255, 0, 264},
    {"Korvo", 8, 255, 255, 0, 300},
    {"a runtime and its game, made anew", 3, 255, 255, 0, 337},
    {"Font - edit undo", 2, 255, 255, 0, 396},
    {"Korvo Block", 6, 255, 255, 0, 425},
    {"drawn square by square for this edition", 3, 255, 255, 0, 455},
    {"Zorbel, the hero of Tobrix, belongs to the Korvo project.", 1, 180, 180, 180, 570},
    {"The jumper's overalls and the runner's shoes are this edition's own guest styles.", 1, 180, 180, 180, 582},
    {"No part of this game is taken from another.", 1, 180, 180, 180, 594},
};

int32_t held() { return escapedown() || down(5) || down(6) || down(7); }

// A position moved left by 1.5 and stored as an integer, as the language stores it: halves
// round to the even neighbour.
int32_t scrolled(int32_t position) { return (position & 1) == 0 ? position - 2 : position - 1; }

}  // namespace

void credits() {
  while (held()) Delay(10);
  String text;
  for (const char* paragraph : kScroller) text += paragraph;
  SetFont(font(2));
  const int32_t width = StringWidth(text);
  int32_t position = 1000;
  for (;;) {
    Cls();
    SetFont(font(2));
    Color(255, 255, 0);
    Text(position, 64, text, 0, 1);
    Text(position + width, 64, text, 0, 1);
    position = scrolled(position);
    if (position < -width) position += width;
    for (const CreditLine& line : kLines) {
      SetFont(font(line.font));
      Color(line.red, line.green, line.blue);
      Text(400, line.y, line.text, 1, 1);
    }
    Flip(1);
    if (held()) break;
  }
  while (held()) Delay(10);
}
