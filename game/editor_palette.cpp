// The editor's bars and its palette: the blocks offered in the shown movement style along the
// bottom bar, chosen by a click or the mouse wheel, with the name and description of the one
// under the mouse.
#include "editor.hpp"

using namespace korvo;

namespace {

int32_t offered(int32_t b) { return b >= 1 && b <= 100 && blockuser(editstyle, b) == 1; }

// The offered block before (step -1) or after (step 1) the current one, round the ends.
int32_t stepblock(int32_t from, int32_t step) {
  int32_t b = from;
  for (int32_t tries = 0; tries < 100; ++tries) {
    b += step;
    if (b < 1) b = 100;
    if (b > 100) b = 1;
    if (offered(b)) return b;
  }
  return from;
}

void bars() {
  Color(0, 0, 0);
  Rect(0, 576, 800, 32, 1);
  Color(194, 194, 194);
  Rect(0, 0, 800, 32, 1);
  Color(255, 255, 255);
  Rect(0, 566, 34, 34, 1);
  Color(0, 0, 0);
  Rect(1, 567, 32, 32, 1);
}

void describe(int32_t b) {
  Color(255, 255, 255);
  Rect(98, 522, 604, 36, 1);
  Color(0, 0, 0);
  Rect(100, 524, 600, 32, 1);
  SetFont(font(1));
  Color(255, 180, 180);
  Text(400, 525, blockinfo(1, b), 1, 0);
  Color(255, 255, 180);
  Text(400, 539, blockinfo(2, b), 1, 0);
}

}  // namespace

void editor_palette() {
  bars();
  int32_t blocks[100];
  int32_t n = 0;
  for (int32_t b = 1; b <= 100; ++b) {
    if (offered(b)) blocks[n++] = b;
  }
  const int32_t wheel = MouseZSpeed();
  if (wheel < 0) currentblock = stepblock(currentblock, -1);
  if (wheel > 0) currentblock = stepblock(currentblock, 1);
  hoverblock = 0;
  for (int32_t i = 0; i < n; ++i) {
    if (mousein(400 - 8 * n + 16 * i - 12, 576, 16, 32)) hoverblock = blocks[i];
  }
  const int32_t highlighted = hoverblock ? hoverblock : currentblock;
  int32_t large = -1;
  for (int32_t i = 0; i < n; ++i) {
    if (blocks[i] == highlighted) {
      large = 400 - 8 * n + 16 * i;
    } else {
      DrawImage(tinymapimg, 400 - 8 * n + 16 * i - 8, 580, blocks[i] - 1);
    }
  }
  // The highlighted block larger, on top of its neighbours, and its preview in the corner box.
  if (large >= 0) {
    Color(0, 0, 0);
    Rect(large - 16, 564, 32, 32, 1);
    DrawImage(gfximg, large - 16, 564, highlighted - 1 + editstyle * 75);
    DrawImage(gfximg, 1, 567, highlighted + 374);
  }
  if (!hoverblock) return;
  describe(hoverblock);
  if (MouseDown(1)) currentblock = hoverblock;
}
