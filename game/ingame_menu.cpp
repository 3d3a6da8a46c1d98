// The in-game menu (ingamemenu): Continue, Restart Level or Quit to Main Menu over the paused
// picture, whose 32 by 32 tiles slide one by one into a hole behind the menu.
#include "tobrix.hpp"

using namespace korvo;

namespace {

constexpr const char* kEntries[3] = {"Continue", "Restart Level", "Quit to Main Menu"};
// Per preferred direction: where the tile that moves into the hole comes from.
constexpr int32_t kFromX[5] = {0, -1, 1, 0, 0};
constexpr int32_t kFromY[5] = {0, 0, 0, -1, 1};

int32_t holex, holey, preferred, tilex, tiley, offset;

int32_t canslide(int32_t dir) {
  switch (dir) {
    case 1: return holex > 1;
    case 2: return holex < 24;
    case 3: return holey > 1;
    default: return holey < 17;
  }
}

void blackout(int32_t x, int32_t y) {
  SetBuffer(ImageBuffer(fadegamea));
  Color(0, 0, 0);
  Rect(x * 32, y * 32, 32, 32, 1);
  SetBuffer(BackBuffer());
}

void slidetiles() {
  if (offset == 0 && Rand(1, 8) == 1) {
    if (canslide(preferred)) {
      tilex = holex + kFromX[preferred];
      tiley = holey + kFromY[preferred];
      CopyRect(tilex * 32, tiley * 32, 32, 32, 0, 0, ImageBuffer(fadegamea), ImageBuffer(shiftblock));
      blackout(tilex, tiley);
      offset = 32;
    }
    if (Rand(1, 3) == 1) preferred = Rand(1, 4);
  }
  if (offset > 0) {
    offset -= 4;
    if (offset == 0) {
      CopyRect(0, 0, 32, 32, holex * 32, holey * 32, ImageBuffer(shiftblock), ImageBuffer(fadegamea));
      holex = tilex;
      holey = tiley;
      SetBuffer(ImageBuffer(shiftblock));
      Cls();
      SetBuffer(BackBuffer());
      PlaySound(sfx(16));
    }
  }
}

void drawmenu(int32_t selection) {
  Cls();
  DrawImage(fadegamea, 0, 0);
  if (offset > 0) {
    DrawImage(shiftblock, holex * 32 + (tilex - holex) * offset, holey * 32 + (tiley - holey) * offset);
  }
  SetFont(font(3));
  for (int32_t i = 1; i <= 3; ++i) {
    if (i == selection) {
      Color(180, 180, 255);
    } else {
      Color(50, 50, 180);
    }
    Text(200, 232 + (i - 1) * 32, kEntries[i - 1]);
  }
}

}  // namespace

int32_t ingamemenu() {
  if (testing) return 3;
  int32_t selection = 1;
  int32_t chosen = 0;
  SeedRnd(MilliSecs());
  holex = Rand(0, 24);
  holey = Rand(0, 17);
  blackout(holex, holey);
  preferred = Rand(1, 4);
  offset = 0;
  while (escapedown()) Delay(10);
  mudown = 1;
  while (!chosen) {
    slidetiles();
    drawmenu(selection);
    if (mudown && !anyslotdown()) mudown = 0;
    if (!mudown) {
      if (down(1)) {
        selection = selection == 1 ? 3 : selection - 1;
        mudown = 1;
      } else if (down(2)) {
        selection = selection == 3 ? 1 : selection + 1;
        mudown = 1;
      } else if (down(5) || down(7)) {
        chosen = selection;
      }
    }
    if (escapedown()) chosen = 1;
    Flip(1);
  }
  while (escapedown() || anyslotdown()) Delay(10);
  mudown = 1;
  return chosen;
}
