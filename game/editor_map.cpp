// The editor's view of the map (editor_draw_map): the border, walls with or without their
// top, pipes and ropes pieced together from their neighbours, hints, and the mouse's edits.
#include "editor.hpp"

using namespace korvo;

namespace {

int32_t iswallblock(int32_t b) { return b == 2 || b == 53; }
int32_t ispipe(int32_t b) { return b == 26 || b == 27 || b == 51 || b == 52; }
int32_t isrope(int32_t b) { return b >= 6 && b <= 9; }

void tile(int32_t block, int32_t sx, int32_t sy) { DrawImage(gfximg, sx, sy, block - 1 + editstyle * 75); }

int32_t pipeframe(int32_t x, int32_t y) {
  const int32_t left = ispipe(map(x - 1, y));
  const int32_t above = ispipe(map(x, y - 1));
  if (left && !above) return 27;
  if (left && above) return 52;
  if (above) return 51;
  return 26;
}

// A rope shows every diagonal it belongs to.
void drawrope(int32_t x, int32_t y, int32_t sx, int32_t sy) {
  const int32_t upleft = isrope(map(x - 1, y - 1)), downright = isrope(map(x + 1, y + 1));
  const int32_t upright = isrope(map(x + 1, y - 1)), downleft = isrope(map(x - 1, y + 1));
  int32_t drawn = 0;
  const int32_t pieces[4][2] = {{upleft && downright, 6}, {upright && downleft, 7}, {upleft && downleft, 8},
                                {upright && downright, 9}};
  for (const auto& piece : pieces) {
    if (piece[0]) {
      tile(piece[1], sx, sy);
      drawn = 1;
    }
  }
  if (!drawn) tile(upright || downleft ? 7 : 6, sx, sy);
}

void drawcell(int32_t x, int32_t y, int32_t sx, int32_t sy) {
  if (x == 1 || x == mapw || y == 1 || y == maph) DrawImage(mouseimg, sx, sy, 4);
  const int32_t b = map(x, y);
  if (iswallblock(b)) {
    tile(iswallblock(map(x, y - 1)) ? 2 : 53, sx, sy);
  } else if (b == 26) {
    tile(pipeframe(x, y), sx, sy);
  } else if (b == 6) {
    drawrope(x, y, sx, sy);
  } else if (b == 57) {
    DrawImage(swirlimg, sx, sy, swirlframe);
  } else if (b == 1001 || b == 56) {
    DrawImage(waterimg, sx, sy, waterframe);
  } else if (b == 58) {
    addhint(x, y);
  } else if (b > 0) {
    tile(b, sx, sy);
    if (b == 24) tile(23, sx, sy - 32);
  }
}

// Division rounding down, for cells left of or above the screen's origin.
int32_t cellof(int32_t pixel) { return (pixel >= 0 ? pixel / 32 : (pixel - 31) / 32) + 1; }

void placeblock(int32_t x, int32_t y, int32_t block) {
  // A level has one start and one exit: placing one takes it away from anywhere else.
  if (block == 54 || block == 57) {
    for (int32_t cx = 1; cx <= mapw; ++cx) {
      for (int32_t cy = 1; cy <= maph; ++cy) {
        if (map(cx, cy) == block) map(cx, cy) = 0;
      }
    }
  }
  map(x, y) = block;
}

}  // namespace

void editor_draw_map() {
  for (int32_t x = 1; x <= mapw; ++x) {
    const int32_t sx = (x - 1) * 32 + scrx;
    if (sx <= -32 || sx >= 832) continue;
    for (int32_t y = 1; y <= maph; ++y) {
      const int32_t sy = (y - 1) * 32 + scry;
      if (sy > -32 && sy < 832) drawcell(x, y, sx, sy);
    }
  }
}

// The cell under the mouse, between the two bars, while no dialog is open: Ctrl and the left
// button pick its block, the hint key makes it a hint, the left button draws, the right one
// erases. A click that pressed a button or chose a slot does not draw until it is let go.
void editcell() {
  if (dialogmode != 0 || mudown) return;
  const int32_t mx = MouseX(), my = MouseY();
  if (my <= 32 || my >= 576) return;
  const int32_t x = cellof(mx - scrx), y = cellof(my - scry);
  if (x < 1 || x > mapw || y < 1 || y > maph) return;
  const int32_t ctrl = KeyDown(29) || KeyDown(157);
  int32_t changed = 0;
  if (ctrl && MouseDown(1)) {
    currentblock = map(x, y) == 53 ? 2 : map(x, y);
    changed = 1;
  }
  if (!klingin && KeyDown(43)) {
    map(x, y) = 58;
    changed = 1;
  }
  if (!ctrl && MouseDown(1)) {
    placeblock(x, y, currentblock);
    changed = 1;
  }
  if (MouseDown(2)) {
    map(x, y) = rightblock;
    changed = 1;
  }
  if (changed) savedflag = 0;
}
