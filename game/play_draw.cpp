// Drawing the map (play_draw_do): switch stages and swaps, pushable blocks that start to
// fall, dart emitters, the flicker of a style change, and every visible cell.
#include "tobrix.hpp"

using namespace korvo;

namespace {

// Switch stages follow the switch timer: all seal above 200, then open again in steps.
int32_t switchstage(int32_t b) {
  if ((b == 19 || b == 20 || b == 21) && poptick > 200) return 22;
  if (b == 22 && poptick == 200) return 21;
  if (b == 21 && poptick == 100) return 20;
  if (b == 20 && poptick == 0) return 19;
  if (switchswap && b == 17) return 18;
  if (switchswap && b == 18) return 17;
  return b;
}

void fire(int32_t x, int32_t y, int32_t dir, int32_t frame) {
  newect(x, y, 4, frame, dir, 0);
  PlaySound(sfx(2));
}

void emit(int32_t x, int32_t y, int32_t b) {
  if (b == 15 && (y * 4 + dartclock) % dartperiod == 0) fire(x, y, 1, 5);
  if (b == 16 && (y * 4 + dartclock) % dartperiod == 0) fire(x, y, -1, 6);
  if (b == 30 && (x * 4 + dartclock) % dartperiod == 0) fire(x, y, 2, 10);
  if (b == 31 && (x * 4 + dartclock) % dartperiod == 0) fire(x, y, -2, 11);
}

void drawcell(int32_t x, int32_t y, int32_t b, int32_t style) {
  const int32_t sx = (x - 1) * 32 + scrx;
  const int32_t sy = (y - 1) * 32 + scry;
  if (sx <= -32 || sx >= 832 || sy <= -32 || sy >= 832) return;
  if (b == 57) {
    DrawImage(swirlimg, sx, sy, swirlframe);
  } else if (b == 1001) {
    DrawImage(waterimg, sx, sy, waterframe);
  } else if (b == 58) {
    addhint(x, y);
  } else if (b == 1 && x == pcellx && y == pcelly + 1) {
    DrawImage(gfximg, sx, sy + 3, style * 75);
  } else if (b > 0) {
    DrawImage(gfximg, sx, sy, b - 1 + style * 75);
    if (b == 24) DrawImage(gfximg, sx, sy - 32, style * 75 + 22);
  }
}

}  // namespace

// The style objects and the player show in: during a change, the coming style in the
// second half of every eight frames.
int32_t drawnstyle() { return changecount > 0 && changecount % 8 > 4 ? suitnext : psuit; }

// With update 0 the map is only drawn, as at the start of a level.
void play_draw_do(int32_t update) {
  for (int32_t x = 1; x <= mapw; ++x) {
    for (int32_t y = 1; y <= maph; ++y) {
      int32_t b = map(x, y);
      if (update) {
        b = map(x, y) = switchstage(b);
        if (psuit == 0 && b == 5 && !isfloor(map(x, y + 1)) && !iswall(map(x, y + 1))) {
          newect(x, y, 1, 0, 0, 0);
          b = map(x, y) = orig(x, y);
        }
      }
      int32_t style = psuit;
      if (changecount > 0) style = Rand(10, changecount * 10) > 30 ? psuit : suitnext;
      if (update) emit(x, y, b);
      drawcell(x, y, b, style);
    }
  }
}
