// What the player's surroundings allow: the block tests of each movement style, the 3 by 3
// neighbourhood, grips, and the decisions taken while standing still (when_still).
#include "tobrix.hpp"

using namespace korvo;

namespace {

// The neighbourhood by name: matrix(i, j) is the cell (pcellx + i - 1, pcelly + j - 1).
int32_t centre() { return matrix(1, 1); }
int32_t above() { return matrix(1, 0); }
int32_t below() { return matrix(1, 2); }
int32_t left() { return matrix(0, 1); }
int32_t right() { return matrix(2, 1); }

int32_t isjumperblock(int32_t b) {
  return b == 1 || b == 2 || b == 4 || b == 5 || b == 17 || b == 26 || b == 27 || b == 29 || b == 51 || b == 52 ||
         b == 53;
}

int32_t solidground(int32_t b) { return isfloor(b) || iswall(b); }

void startsuit(int32_t style, int32_t sound) {
  suitnext = style;
  changecount = 30;
  changeseed = MilliSecs();
  suittimer = 450;
  StopChannel(mariochan);
  StopChannel(drumchan);
  mariochan = PlaySound(sound);
  drumchan = PlaySound(drumsfx);
  musicvolume = 0;
  ChannelVolume(musicchan, 0);
}

void endlevel(int32_t kind, int32_t sound) {
  endkind = kind;
  PlaySound(sfx(sound));
  stopmusic();
}

void suits() {
  if (suittimer <= 0 && changecount == 0 && psuit != 0) {
    suitnext = 0;
    changecount = 30;
    changeseed = MilliSecs();
  }
  if (centre() == 59 && changecount == 0 && psuit != 1) startsuit(1, mariosfx);
  if (centre() == 60 && changecount == 0 && psuit != 2) startsuit(2, sonicsfx);
  suittimer -= 1;
}

void switchpoptick() {
  poptick = difficulty == 1 ? 480 : difficulty == 3 ? 210 : 300;
}

void stillincell() {
  const int32_t hold = down(6);
  if (centre() == 57 && endcount == 0 && endkind == 0) endlevel(3, 17);
  // Balloons fly only in the hero's style; the others have no balloon state.
  if (centre() == 24 && hold && psuit == 0) {
    newect(pcellx, pcelly - 1, 6, 7, 0, 0);
    pstate = 11;
  }
  if (below() == 19 && poptick == 0 && psuit <= 1) {
    switchpoptick();
    switchswap = 1;
    PlaySound(sfx(4));
  }
  if ((centre() == 20 || centre() == 21) && psuit <= 1) {
    switchpoptick();
    PlaySound(sfx(1));
  }
  if (centre() >= 10 && centre() <= 13 && endkind == 0 && psuit != 1) endlevel(2, 3);
  if (centre() >= 6 && centre() <= 9 && psuit == 0 && hold && pstate == 0) {
    pstate = 6;
    PlaySound(sfx(14));
  }
  if (pstate == 0 && (holdingon == 0 || holdingon == 2 || holdingon == 3) && !isfloor(below()) &&
      !isladder(centre()) && !isladder(below())) {
    pstate = 3;
    if (iswater(centre()) && iswater(below())) {
      pstate = 8;
      swimming = 1;
    }
    if (psuit == 2 && ((down(3) && solidground(matrix(0, 2))) || (down(4) && solidground(matrix(2, 2))))) pstate = 0;
  }
}

void permissions() {
  const int32_t high = psuit != 1 || iswater(centre());
  canleft = !(iswall(above()) || (high && iswall(matrix(0, 0))));
  canright = !(iswall(above()) || (high && iswall(matrix(2, 0))));
  canup = psuit != 2 && isladder(centre()) && !iswall(above());
  candown = psuit != 2 && !iswall(below()) && !isfloor(below()) && (isladder(centre()) || isladder(below())) &&
            !(isflatrail(centre()) && holdingon == 1 && !isladder(below()));
  if (psuit == 0 && below() == 1 && down(6)) candown = 1;
  walkleft = !iswall(left());
  walkright = !iswall(right());
}

}  // namespace

int32_t isfloor(int32_t b) {
  if (b == 19 && poptick == 0 && psuit <= 1) return 1;
  if (psuit == 1) return isjumperblock(b);
  if (psuit == 2) return b == 1 || b == 2 || b == 53;
  return b == 1 || iswall(b);
}

int32_t iswall(int32_t b) {
  if (psuit == 1) return isjumperblock(b);
  if (psuit == 2) return b == 2 || b == 15 || b == 16 || b == 53;
  return b == 2 || b == 5 || b == 14 || b == 15 || b == 16 || b == 17 || b == 30 || b == 31 || b == 51 || b == 52 ||
         b == 53;
}

int32_t isladder(int32_t b) {
  if (psuit == 2) return 0;
  return b == 3 || (psuit == 0 && b == 1 && holdingon == 1);
}

int32_t iswater(int32_t b) { return b == 1001; }

int32_t isflatrail(int32_t b) { return psuit == 0 && b == 1; }

void getaround() {
  for (int32_t i = 0; i <= 2; ++i) {
    for (int32_t j = 0; j <= 2; ++j) matrix(i, j) = map(pcellx + i - 1, pcelly + j - 1);
  }
}

// Grips while standing or turning in style 0 with hold held: a pushable block or a grippable
// wall behind the player (2, 4) or in front of it (3, 5). Before the movement only the
// block grips count.
void gripstates(int32_t all) {
  if (all) {
    if (pstate == 0) holdingon = 0;
    if (isflatrail(centre()) && down(6)) holdingon = 1;
  }
  if (psuit != 0 || (pstate != 0 && pstate != 7) || !down(6)) return;
  const int32_t behind = pdir == 1 ? left() : right();
  const int32_t ahead = pdir == 1 ? right() : left();
  if (behind == 5) holdingon = 2;
  if (ahead == 5) holdingon = 3;
  if (!all) return;
  if (behind == 14) holdingon = 4;
  if (ahead == 14) holdingon = 5;
}

void when_still() {
  swimming = 0;
  getaround();
  suits();
  if (pstate == 0 && poffx == 0 && poffy == 0) stillincell();
  permissions();
  if (pstate == 0) {
    if (holdingon == 1) pframe = 25;
    else if (holdingon == 2) pframe = 30;
    else if (holdingon == 3) pframe = 34;
    else if (holdingon == 4) pframe = 47;
    else if (holdingon == 5) pframe = 46;
    else pframe = iswater(centre()) ? 41 : 0;
  }
}
