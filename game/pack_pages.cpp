// The pack list (page 2) with each pack's best score and levels played, and the level grid
// of the chosen pack (page 3), from which a game through the pack starts.
#include "tobrix.hpp"

using namespace korvo;

namespace {

// Icons per row of the level grid, by the pack's count of playable levels.
constexpr int32_t kRows[21][4] = {
    {0, 0, 0, 0}, {1, 0, 0, 0}, {2, 0, 0, 0}, {3, 0, 0, 0}, {2, 2, 0, 0}, {3, 2, 0, 0}, {3, 3, 0, 0},
    {4, 3, 0, 0}, {4, 4, 0, 0}, {3, 3, 3, 0}, {5, 5, 0, 0}, {4, 4, 3, 0}, {4, 4, 4, 0}, {5, 4, 4, 0},
    {4, 4, 3, 3}, {4, 4, 4, 3}, {4, 4, 4, 4}, {5, 4, 4, 4}, {5, 5, 4, 4}, {5, 5, 5, 4}, {5, 5, 5, 5},
};

int32_t packcount() {
  int32_t count = 0;
  for (KvObj* p = First(packs); p; p = After(p)) ++count;
  return count;
}

void packline(KvObj* pack, int32_t selected, int32_t y) {
  SetFont(font(3));
  menuentry(selected, 100, y, StringRef(&pack->fields[packName].s));
  SetFont(font(1));
  Color(180, 180, 50);
  Text(600, y, "Best Score : " + String(field(pack, packBest)));
  if (field(pack, packPlayed) == 0) {
    Color(80, 180, 50);
    Text(600, y + 14, "Unplayed");
  } else {
    Color(180, 80, 50);
    Text(600, y + 14, "Levels played : " + String(field(pack, packPlayed)));
  }
}

void takepack(KvObj* pack) {
  menumode = 3;
  menusel = 1;
  packname = StringRef(&pack->fields[packName].s);
  unlocked = field(pack, packPlayed);
  loadpak(packname);
}

// Slots 3 and 4 step through the levels, slots 1 and 2 by a row; the ends hold.
void movegrid() {
  if (mudown) return;
  int32_t step = 0;
  if (down(3)) step = -1;
  if (down(4)) step = 1;
  if (down(1)) step = -row(1);
  if (down(2)) step = row(1);
  if (step == 0) return;
  menusel += step;
  mudown = 1;
}

void drawgrid() {
  int32_t level = 1;
  for (int32_t r = 1; r <= 4; ++r) {
    const int32_t n = row(r);
    for (int32_t i = 0; i < n; ++i, ++level) {
      const int32_t x = 400 - (n * 25 + (n - 1) * 5) + i * 60;
      const int32_t y = 300 + (r - 1) * 60;
      if (level == menusel && level > unlocked) {
        Color(255, 50, 50);
      } else if (level == menusel) {
        Color(180, 180, 255);
      } else {
        Color(50, 50, 180);
      }
      Rect(x - 2, y - 2, 54, 54, 1);
      Color(0, 0, 0);
      Rect(x, y, 50, 50, 1);
      if (level <= unlocked) {
        DrawImage(levelicons, x, y, level);
      } else {
        DrawImage(nolevel, x, y);
      }
    }
  }
  const int32_t shown = menusel > unlocked ? unlocked : menusel;
  SetFont(font(2));
  Color(180, 180, 255);
  Text(400, 560, paktext(1, shown), 1, 1);
  Text(400, 580, paktext(2, shown), 1, 1);
}

void startgame() {
  while (down(5) || down(7)) Delay(10);
  decoa = "";
  decob = "";
  choosetagline();
  stopmusic();
  CopyRect(0, 0, 800, 600, 0, 0, BackBuffer(), ImageBuffer(fadegamea));
  classicloop(menusel > unlocked ? unlocked : menusel);
  KvObj* pack = currentpack();
  unlocked = pack ? field(pack, packPlayed) : 1;
  mudown = 1;
}

}  // namespace

void packlist() {
  const int32_t count = packcount();
  int32_t first = menusel - 5;
  if (first > count - 9) first = count - 9;
  if (first < 1) first = 1;
  int32_t index = 0;
  for (KvObj* p = First(packs); p; p = After(p)) {
    ++index;
    if (index >= first && index < first + 10) packline(p, index == menusel, 260 + (index - first) * 32);
  }
  if (mudown || !(down(5) || down(7))) return;
  mudown = 1;
  index = 0;
  for (KvObj* p = First(packs); p; p = After(p)) {
    if (++index == menusel) {
      takepack(p);
      return;
    }
  }
}

void levelgrid() {
  if (unlocked < 1) unlocked = 1;
  for (int32_t r = 1; r <= 4; ++r) row(r) = kRows[packlevels][r - 1];
  if (packlevels == 0) {
    SetFont(font(2));
    Color(180, 180, 255);
    Text(400, 400, "No levels to play in this pack", 1, 1);
    return;
  }
  movegrid();
  if (menusel < 1) menusel = 1;
  if (menusel > packlevels) menusel = packlevels;
  drawgrid();
  if (mudown || !(down(5) || down(7))) return;
  mudown = 1;
  startgame();
}
