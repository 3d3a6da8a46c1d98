// Level objects (doobjects): falling and sliding blocks, rings, darts, spheres and balloons,
// and the score pop-ups.
#include "tobrix.hpp"

using namespace korvo;

namespace {

int32_t screenx(KvObj* o) { return (field(o, ectX) - 1) * 32 + field(o, ectOffX) + scrx; }
int32_t screeny(KvObj* o) { return (field(o, ectY) - 1) * 32 + field(o, ectOffY) + scry; }
int32_t playerx() { return (pcellx - 1) * 32 + poffx + scrx; }
int32_t playery() { return (pcelly - 1) * 32 + poffy + scry; }

int32_t touches(KvObj* o, int32_t style) {
  return ImagesCollide(objimg, screenx(o), screeny(o), style * 75 + field(o, ectFrame), pdir == 1 ? platimg : platflip,
                       playerx(), playery(), style * 75 + pframe);
}

void die(int32_t kind) {
  endkind = kind;
  PlaySound(sfx(3));
  stopmusic();
}

// Moves an object by dx, dy pixels; 1 when it reached the next cell (and is now in it).
int32_t move(KvObj* o, int32_t dx, int32_t dy) {
  field(o, ectOffX) += dx;
  field(o, ectOffY) += dy;
  int32_t reached = 0;
  for (int32_t axis = 0; axis <= 1; ++axis) {
    int32_t& offset = field(o, axis ? ectOffY : ectOffX);
    if (offset >= 32 || offset <= -32) {
      field(o, axis ? ectY : ectX) += offset > 0 ? 1 : -1;
      offset = 0;
      reached = 1;
    }
  }
  return reached;
}

void falling(KvObj* o) {
  if (!move(o, 0, 16)) return;
  const int32_t x = field(o, ectX), y = field(o, ectY);
  map(x, y) = 5;
  if ((isfloor(map(x, y + 1)) || iswall(map(x, y + 1))) && framecount - lastlanding >= 10) {
    PlaySound(sfx(5));
    lastlanding = framecount;
  }
  const int32_t intox = pcellx + (poffx > 0) - (poffx < 0);
  const int32_t intoy = pcelly + (poffy > 0) - (poffy < 0);
  if (endkind == 0 && ((x == pcellx && y == pcelly) || (x == intox && y == intoy))) die(1);
  Delete(o);
}

void sliding(KvObj* o) {
  if (!move(o, 2 * field(o, ectDir), 0)) return;
  map(field(o, ectX), field(o, ectY)) = 5;
  Delete(o);
}

// Darts: 1 right, -1 left, 2 down, -2 up.
void dart(KvObj* o, int32_t style) {
  const int32_t dir = field(o, ectDir);
  const int32_t dx = dir == 1 ? 8 : dir == -1 ? -8 : 0;
  const int32_t dy = dir == 2 ? 8 : dir == -2 ? -8 : 0;
  if (move(o, dx, dy)) {
    const int32_t x = field(o, ectX), y = field(o, ectY);
    const int32_t edge = (dir == 1 && x >= 50) || (dir == -1 && x <= 1) || (dir == 2 && y >= 50) || (dir == -2 && y <= 1);
    if (iswall(map(x, y)) || edge) {
      Delete(o);
      return;
    }
  }
  if (style == 1) return;
  DrawImage(objimg, screenx(o), screeny(o), style * 75 + field(o, ectFrame));
  if (endkind == 0 && touches(o, style)) die(2);
}

int32_t dartin(int32_t x, int32_t y) {
  for (KvObj* d = First(ect); d; d = After(d)) {
    if (field(d, ectKind) == 4 && field(d, ectX) == x && field(d, ectY) == y) return 1;
  }
  return 0;
}

void pop(KvObj* o) {
  PlaySound(sfx(12));
  if (pstate == 11) {
    pstate = 0;
    ptick = 0;
    poffy = 0;
  }
  Delete(o);
}

void balloon(KvObj* o, int32_t style) {
  if (move(o, 0, -2) && (field(o, ectY) < 1 || iswall(map(field(o, ectX), field(o, ectY) - 1)))) {
    pop(o);
    return;
  }
  if (Rand(1, 4) == 1) field(o, ectFrame) = Rand(7, 9);
  if (dartin(field(o, ectX), field(o, ectY))) {
    pop(o);
    return;
  }
  if (style == 0) DrawImage(objimg, screenx(o), screeny(o), field(o, ectFrame));
}

// Rings run frames 1 to 4 and back; spheres 25 to 32.
void collectable(KvObj* o, int32_t style, int32_t shownin) {
  if (style != shownin) return;
  if (shownin == 2) {
    const int32_t step = field(o, ectStep) % 6;
    field(o, ectStep) += 1;
    field(o, ectFrame) = step < 4 ? step + 1 : 7 - step;
  } else if (framecount % 2 == 0) {
    field(o, ectFrame) = field(o, ectFrame) >= 32 ? 25 : field(o, ectFrame) + 1;
  }
  DrawImage(objimg, screenx(o), screeny(o), style * 75 + field(o, ectFrame));
  if (touches(o, style)) {
    addscore((field(o, ectX) - 1) * 32 + field(o, ectOffX), (field(o, ectY) - 1) * 32 + field(o, ectOffY), 50);
    PlaySound(sfx(18));
    Delete(o);
  }
}

void popups() {
  SetFont(font(2));
  for (KvObj* p : Each(ore)) {
    Color(field(p, oreFade), field(p, oreFade), 0);
    Text(field(p, oreX) + scrx, field(p, oreY) + scry, String(field(p, oreValue)), 1, 1);
    field(p, oreY) -= 2;
    field(p, oreFade) -= 5;
    if (field(p, oreFade) < 6) Delete(p);
  }
}

}  // namespace

KvObj* newect(int32_t x, int32_t y, int32_t kind, int32_t frame, int32_t dir, int32_t step) {
  KvObj* o = New(ect);
  field(o, ectX) = x;
  field(o, ectY) = y;
  field(o, ectKind) = kind;
  field(o, ectFrame) = frame;
  field(o, ectDir) = dir;
  field(o, ectStep) = step;
  return o;
}

void addscore(int32_t x, int32_t y, int32_t points) {
  KvObj* p = New(ore);
  field(p, oreX) = x;
  field(p, oreY) = y;
  field(p, oreFade) = 255;
  field(p, oreValue) = points;
  score += points;
}

void stopmusic() { StopChannel(musicchan); }

void doobjects() {
  const int32_t style = drawnstyle();
  for (KvObj* o : Each(ect)) {
    switch (field(o, ectKind)) {
      case 1:
        DrawImage(objimg, screenx(o), screeny(o), style * 75);
        falling(o);
        break;
      case 2:
        DrawImage(objimg, screenx(o), screeny(o), style * 75);
        sliding(o);
        break;
      case 3: collectable(o, style, 2); break;
      case 4: dart(o, style); break;
      case 5: collectable(o, style, 0); break;
      case 6: balloon(o, style); break;
      default: break;
    }
  }
  popups();
}
