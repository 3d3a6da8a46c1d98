// Movement style 2, the runner (pdosonic): fast, long jumps, no climbing.
#include "movement.hpp"

using namespace korvo;

namespace {

constexpr StyleSpeeds kSpeeds = {16, 32, 4, 8, 4, 4};

void jumping() {
  ptick += 1;
  stepplayer(16 * pdir, ptick <= 8 ? -16 : 0);
  pframe = 9 + (ptick - 1) / 3;
  if (ptick % 2 == 0 && ptick <= 10) {
    getaround();
    int32_t end = isfloor(matrix(1, 2)) || isladder(matrix(1, 2)) || isladder(matrix(1, 1));
    if (ptick <= 6) end = end || iswall(matrix(1, 0)) || iswall(ahead(0));
    else end = end || iswall(ahead(1)) || iswall(matrix(1, 1));
    if (end) endstate();
  }
  if (ptick >= 12) endstate();
}

}  // namespace

void pdosonic() {
  if (commonstate(kSpeeds)) return;
  if (pstate == 2) {
    jumping();
  } else {
    endstate();
  }
}
