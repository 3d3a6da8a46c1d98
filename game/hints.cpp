// Hint blocks: a text on the cell, by default its column and row, for a few cells a hint
// that names the key the player last used for a control slot.
#include "tobrix.hpp"

using namespace korvo;

namespace {

struct Hint {
  int32_t x, y;
  const char* prefix;
  int32_t slot;  // whose key name follows the prefix; 0 for none
};

constexpr Hint kHints[] = {
    {4, 48, "Climb Up", 0},   {10, 43, "Jump : ", 7},   {15, 41, "Hold : ", 6}, {23, 43, "", 7},
    {26, 43, "", 7},          {30, 43, "", 7},          {33, 43, "", 7},        {9, 21, "", 7},
    {12, 21, "", 7},          {15, 21, "", 7},          {18, 21, "", 7},        {33, 36, "Jump : ", 5},
    {16, 30, "Hold", 0},      {16, 35, "Hold + Pull", 0}, {18, 39, "Hold  -->", 0}, {8, 50, "<-- You", 0},
};

}  // namespace

String whatkey(int32_t slot) {
  const int32_t set = useskey(slot);
  switch (slot) {
    case 7: return set == 2 ? "L" : set == 5 ? "9" : "C";
    case 6: return set == 2 ? "J" : set == 5 ? "Ctrl" : "Z";
    case 5: return set == 2 ? "K" : set == 5 ? "7" : "X";
    default: return "";
  }
}

void addhint(int32_t x, int32_t y) {
  String text = String(x) + ":" + y;
  for (const Hint& h : kHints) {
    if (h.x == x && h.y == y) text = h.slot ? h.prefix + whatkey(h.slot) : String(h.prefix);
  }
  SetFont(font(2));
  Color(255, 255, 255);
  Text((x - 1) * 32 + scrx + 16, (y - 1) * 32 + scry + 16, text, 1, 1);
}
