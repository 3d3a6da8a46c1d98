// Player movement shared by the styles: a step that reaches a whole cell moves the player
// into it, and most states end there.
#include "movement.hpp"

using namespace korvo;

int32_t stepplayer(int32_t dx, int32_t dy) {
  poffx += dx;
  poffy += dy;
  if (poffx >= 32) {
    pcellx += 1;
    poffx -= 32;
  } else if (poffx <= -32) {
    pcellx -= 1;
    poffx += 32;
  }
  if (poffy >= 32) {
    pcelly += 1;
    poffy -= 32;
  } else if (poffy <= -32) {
    pcelly -= 1;
    poffy += 32;
  }
  // The player never leaves the walled field, whatever a level makes it do: its
  // neighbourhood must stay inside the map.
  if (pcellx < 1 || pcellx > mapw || pcelly < 1 || pcelly > maph) {
    pcellx = pcellx < 1 ? 1 : pcellx > mapw ? mapw : pcellx;
    pcelly = pcelly < 1 ? 1 : pcelly > maph ? maph : pcelly;
    poffx = poffy = 0;
  }
  return poffx == 0 && poffy == 0;
}

void endstate() {
  pstate = 0;
  ptick = 0;
}

void animate(int32_t first, int32_t count) { pframe = first + animstep % count; }

int32_t ahead(int32_t row) { return matrix(1 + pdir, row); }

namespace {

void steer() {
  if (psuit != 0) return;
  if (down(3)) pdir = -1;
  if (down(4)) pdir = 1;
}

void walkframe() {
  if (holdingon == 1) {
    animate(25, 5);
  } else if (holdingon == 2) {
    animate(30, 4);
  } else if (holdingon == 3) {
    animate(34, 4);
  } else {
    animate(1, 4);
  }
}

}  // namespace

int32_t commonstate(const StyleSpeeds& speeds) {
  int32_t done = 0;
  switch (pstate) {
    case 1: {
      const int32_t speed = holdingon == 2 || holdingon == 3 ? speeds.walk / 2 : speeds.walk;
      if (framecount % 4 == 1) PlaySound(sfx(15));
      walkframe();
      done = stepplayer(pdir * speed, 0);
      break;
    }
    case 3:
      steer();
      animate(5, 4);
      done = stepplayer(0, speeds.fall);
      break;
    case 4:
    case 5:
      if (psuit == 0 && framecount % 8 == 1) PlaySound(sfx(10));
      animate(5, 4);
      done = stepplayer(0, pstate == 4 ? -speeds.climb : speeds.climb);
      break;
    case 7:
      pframe = 0;
      done = ++ptick >= speeds.turn;
      break;
    case 8:
      steer();
      pframe = 41;
      done = stepplayer(0, speeds.sink);
      break;
    case 9:
      animate(41, 4);
      done = stepplayer(pdir * speeds.swim, 0);
      break;
    case 10:
      animate(41, 4);
      done = stepplayer(pdir * speeds.swim, -speeds.swim);
      break;
    default:
      return 0;
  }
  if (done) endstate();
  return 1;
}
