// Movement style 0, the hero (pdoplat): jumps of three cells forward and one up, rope
// slides, rails and balloons.
#include "movement.hpp"

using namespace korvo;

namespace {

constexpr StyleSpeeds kSpeeds = {4, 8, 4, 12, 2, 2};

void jumping() {
  ptick += 1;
  stepplayer(4 * pdir, ptick <= 8 ? -4 : 0);
  pframe = 9 + (ptick - 1) / 2;
  if (ptick == 8 || ptick == 16) {
    getaround();
    if (iswall(ahead(1)) || isfloor(matrix(1, 2)) || isladder(matrix(1, 2)) || isladder(matrix(1, 1))) endstate();
  }
  if (ptick >= 24) endstate();
}

// Rope pieces 6 and 9 carry the player down to the right, 7 and 8 down to the left.
void roping() {
  const int32_t piece = map(pcellx, pcelly);
  pdir = piece == 6 || piece == 9 ? 1 : -1;
  // A rope that runs into a wall lets go there instead of carrying the player into it.
  if (poffx == 0 && poffy == 0 && iswall(map(pcellx + pdir, pcelly + 1))) {
    endstate();
    return;
  }
  animate(21, 4);
  if (stepplayer(8 * pdir, 8)) endstate();
}

}  // namespace

// Rising on a balloon: hold keeps the grip; the jump buttons jump off sideways.
void balloonride(int32_t speed) {
  pframe = 45;
  if (down(3)) pdir = -1;
  if (down(4)) pdir = 1;
  if (!down(6)) {
    pstate = 0;
    poffy = 0;
    return;
  }
  int32_t dir = 0;
  if (onebuttonjump) {
    if ((down(5) || down(7)) && !iswall(map(pcellx + pdir, pcelly - 1))) dir = pdir;
  } else {
    if (down(5) && !iswall(map(pcellx - 1, pcelly - 1))) dir = -1;
    if (down(7) && !iswall(map(pcellx + 1, pcelly - 1))) dir = 1;
  }
  if (dir) {
    if (poffy < -15) pcelly -= 1;
    poffy = 0;
    pdir = dir;
    pstate = 2;
    ptick = 0;
    jumplatch = 1;
    PlaySound(sfx(9));
    return;
  }
  // Nor does a balloon lift the player into a wall.
  if (poffy == 0 && iswall(map(pcellx, pcelly - 1))) {
    endstate();
    return;
  }
  if (stepplayer(0, -speed) && (pcelly < 2 || iswall(map(pcellx, pcelly - 2)))) endstate();
}

void pdoplat() {
  if (commonstate(kSpeeds)) return;
  switch (pstate) {
    case 2: jumping(); break;
    case 6: roping(); break;
    case 11: balloonride(2); break;
    default: break;
  }
}
