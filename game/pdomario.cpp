// Movement style 1, the jumper (pdomario): high jumps that knock "? Block"s from below,
// short hops onto ledges, and no rope, rail or balloon.
#include "movement.hpp"

using namespace korvo;

namespace {

constexpr StyleSpeeds kSpeeds = {8, 16, 8, 10, 4, 4};

void knock() {
  if (matrix(1, 0) != 4) return;
  map(pcellx, pcelly - 1) = 29;
  matrix(1, 0) = 29;
  addscore((pcellx - 1) * 32 + 16, (pcelly - 2) * 32, 50);
  PlaySound(sfx(18));
}

void jumping() {
  ptick += 1;
  stepplayer(ptick >= 9 && ptick <= 16 ? 8 * pdir : 0, ptick <= 12 ? -8 : 0);
  pframe = 9;
  if (ptick == 4 || ptick == 8 || ptick == 12) {
    getaround();
    knock();
    int32_t end = iswall(matrix(1, 0)) || isladder(matrix(1, 1)) || isladder(matrix(1, 2));
    if (ptick == 4 && !iswall(ahead(1)) && isfloor(ahead(2))) ptick = 12;
    else if (ptick == 8) end = end || iswall(ahead(0));
    else if (ptick == 12) end = end || iswall(ahead(1)) || isfloor(matrix(1, 2));
    if (end) endstate();
  }
  if (ptick >= 16) endstate();
}

}  // namespace

void pdomario() {
  if (commonstate(kSpeeds)) return;
  if (pstate == 2) {
    jumping();
  } else {
    endstate();
  }
}
