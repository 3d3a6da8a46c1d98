// The level editor: the "My Levels" pack drawn with the mouse on the 50 by 50 grid, level by
// level, with a palette per movement style, the level's two text lines, test play, and 20
// slots to save to and load from.
#include "editor.hpp"

using namespace korvo;

int32_t currentblock, rightblock, dialogmode, savedflag, editslot;
int32_t cameratargetx, cameratargety, hoverblock, editstyle, editorrunning, escapehit;

namespace {

int32_t editframe, dragging, escapebefore, backdropopaque;

// 1 when the backdrop tile has no see-through pixel: it then hides the background colour,
// which need not be drawn under it.
int32_t opaquetile(int32_t image, int32_t frame) {
  const int32_t buffer = ImageBuffer(image, frame);
  for (int32_t x = 0; x < ImageWidth(image); ++x) {
    for (int32_t y = 0; y < ImageHeight(image); ++y) {
      if ((ReadPixel(x, y, buffer) & 0xffffff) == 0xff00ff) return 0;
    }
  }
  return 1;
}

void clampview(int32_t& x, int32_t& y) {
  if (x < -(mapw * 32 - 800)) x = -(mapw * 32 - 800);
  if (x > 0) x = 0;
  if (y < -(maph * 32 - 576)) y = -(maph * 32 - 576);
  if (y > 32) y = 32;
}

// Control slots move the camera's target 16 pixels a frame; the middle button drags it.
void camera() {
  const int32_t dx = MouseXSpeed();
  const int32_t dy = MouseYSpeed();
  if (!klingin) {
    if (down(3)) cameratargetx += 16;
    if (down(4)) cameratargetx -= 16;
    if (down(1)) cameratargety += 16;
    if (down(2)) cameratargety -= 16;
  }
  dragging = MouseDown(3);
  if (dragging) {
    cameratargetx += dx;
    cameratargety += dy;
  }
  clampview(cameratargetx, cameratargety);
  scrx -= (scrx - cameratargetx) >> 2;
  scry -= (scry - cameratargety) >> 2;
  clampview(scrx, scry);
}

void styles() {
  if (klingin) return;
  for (int32_t style = 0; style <= 2; ++style) {
    if (KeyDown(2 + style)) editstyle = style;
  }
}

void pointer() {
  if (dragging) {
    DrawImage(mouseimg, MouseX() - 11, MouseY() - 11, 1);
  } else {
    DrawImage(mouseimg, MouseX(), MouseY(), 0);
  }
}

void releasecheck() {
  for (int32_t slot = 1; slot <= 6; ++slot) {
    if (down(slot)) return;
  }
  if (!MouseDown(1) && !MouseDown(2)) mudown = 0;
}

// One frame. The style's background covers the whole screen, so no Cls comes first.
void frame() {
  score = 0;
  editframe += 1;
  whichset(editframe % 9 + 1);
  waterframe = (waterframe + 1) % 256;
  if (editframe % 3 == 0) swirlframe = (swirlframe + 1) % 32;
  const int32_t escape = escapedown();
  escapehit = escape && !escapebefore && !klingin;
  escapebefore = escape;
  styles();
  stylebackground(editstyle, backdropopaque ? 0 : 600);
  camera();
  TileImage(mouseimg, scrx, scry, 3);
  editcell();
  editor_draw_map();
  editor_palette();
  if (dialogmode == 0) {
    editor_top_buttons();
  } else {
    editor_slots();
  }
  releasecheck();
  pointer();
  Flip(1);
}

}  // namespace

void editor() {
  editing = 1;
  scrx = cameratargetx = 0;
  scry = cameratargety = 32;
  currentblock = 1;
  rightblock = 0;
  dialogmode = 0;
  klingin = 0;
  backdropopaque = opaquetile(mouseimg, 3);
  loadpak("My Levels");
  noteslots();
  editslot = 1;
  getlevel(editslot);
  savedflag = 1;
  // The next frame measures the mouse from here, not from where it was last asked.
  MouseXSpeed();
  MouseYSpeed();
  MouseZSpeed();
  escapebefore = 1;
  editorrunning = 1;
  while (editorrunning) frame();
  while (escapedown()) Delay(10);
  klingin = 0;
  editing = 0;
}
