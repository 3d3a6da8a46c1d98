// The controls of play (playcontrol): jumps, climbing, walking, swimming, and pulling and
// pushing blocks, with two jump buttons (one per direction) or one (turn, then jump).
#include "tobrix.hpp"

using namespace korvo;

namespace {

int32_t canjump(int32_t dir) { return dir < 0 ? canleft : canright; }
int32_t canwalk(int32_t dir) { return dir < 0 ? walkleft : walkright; }
int32_t jumpslot(int32_t dir) { return dir < 0 ? 5 : 7; }
int32_t walkslot(int32_t dir) { return dir < 0 ? 3 : 4; }
int32_t side(int32_t dir) { return matrix(1 + dir, 1); }

void slide(int32_t x, int32_t dir) {
  newect(x, pcelly, 2, 0, dir, 0);
  map(x, pcelly) = orig(x, pcelly);
  PlaySound(sfx(13));
}

// A pushable block on the given side that stands on floor or wall.
int32_t blockon(int32_t dir) {
  return side(dir) == 5 && (isfloor(matrix(1 + dir, 2)) || iswall(matrix(1 + dir, 2)));
}

int32_t canholdblocks() { return psuit == 0 && !iswater(matrix(1, 1)) && down(6); }

// Walking one cell towards dir, pulling a block that stands behind the player.
void walk(int32_t dir, int32_t swimstep) {
  pdir = dir;
  pstate = swimstep && iswater(matrix(1, 1)) && iswater(side(dir)) ? 9 : 1;
  swimming = 0;
  if (holdingon == 2 || holdingon == 3) holdingon = 0;
  if (canholdblocks() && blockon(-dir) && !iswall(matrix(1, 1))) {
    slide(pcellx - dir, dir);
    holdingon = 2;
  }
}

// Pushing the block in front of the player one cell on.
int32_t push(int32_t dir) {
  const int32_t inside = dir < 0 ? pcellx > 2 : pcellx < 48;
  if (!canholdblocks() || !inside || !blockon(dir) || iswall(map(pcellx + 2 * dir, pcelly))) return 0;
  slide(pcellx + dir, dir);
  pdir = dir;
  pstate = 1;
  holdingon = 3;
  return 1;
}

void jump(int32_t dir, int32_t swimjump) {
  pdir = dir;
  jumplatch = 1;
  pstate = swimjump ? 10 : 2;
  ptick = 0;
  PlaySound(sfx(9));
}

void climb() {
  if (pstate != 0) return;
  if (down(1) && canup) pstate = 4;
  if (down(2) && candown) pstate = 5;
}

void twobuttons() {
  if ((!down(5) && !down(7)) || swimming) jumplatch = 0;
  if (swimming) {
    for (int32_t dir = -1; dir <= 1; dir += 2) {
      if (down(jumpslot(dir)) && canjump(dir) && !jumplatch) {
        pstate = 10;
        pdir = dir;
        jumplatch = 1;
        swimming = 0;
        ptick = 0;
      }
    }
  }
  for (int32_t dir = -1; dir <= 1; dir += 2) {
    if (pstate == 0 && down(jumpslot(dir)) && canjump(dir) && !jumplatch) jump(dir, iswater(matrix(1, 1)));
  }
  climb();
  for (int32_t dir = -1; dir <= 1; dir += 2) {
    if (!down(walkslot(dir))) continue;
    if ((pstate == 0 || swimming) && canwalk(dir)) walk(dir, 1);
    if (pstate == 0) push(dir);
  }
}

void onebutton() {
  if (!down(5) && !down(7)) jumplatch = 0;
  if (pstate == 0 && (down(5) || down(7)) && !jumplatch && canjump(pdir)) jump(pdir, 0);
  climb();
  for (int32_t dir = -1; dir <= 1; dir += 2) {
    if (pstate != 0 || !down(walkslot(dir))) continue;
    if (dir != pdir) {
      pdir = dir;
      pstate = 7;
      ptick = 0;
    } else if (!push(dir) && canwalk(dir)) {
      walk(dir, 0);
    }
  }
}

}  // namespace

void playcontrol() {
  if (changecount > 0 || endcount > 0) return;
  if (onebuttonjump) {
    onebutton();
  } else {
    twobuttons();
  }
}
