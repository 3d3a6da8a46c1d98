// playlevel: one level from its opening fade to the exit, a death, a restart or quitting,
// about 60 frames a second; the result is 3 (exit), 1 or 2 (play it again) or 99 (quit).
#include "tobrix.hpp"

using namespace korvo;

namespace {

constexpr int32_t kStyleColours[3][3] = {{30, 15, 0}, {107, 140, 255}, {34, 0, 170}};

int32_t bgred, bggreen, bgblue, targetx, targety, lastframe, lastcount, framesthissecond, shownrate;

void clampcamera(int32_t& x, int32_t& y) {
  if (x < -(mapw * 32 - 800)) x = -(mapw * 32 - 800);
  if (x > 0) x = 0;
  if (y < -(maph * 32 - 576)) y = -(maph * 32 - 576);
  if (y > 0) y = 0;
}

void cameratarget() {
  targetx = 400 - ((pcellx - 1) * 32 + poffx);
  targety = 300 - ((pcelly - 1) * 32 + poffy);
  clampcamera(targetx, targety);
}

void timers() {
  dartclock = (dartclock + 1) % dartperiod;
  if (poptick > 0) {
    poptick -= 1;
    if (poptick == 90 || poptick == 60 || poptick == 30) PlaySound(sfx(1));
    if (poptick == 0) {
      PlaySound(sfx(4));
      switchswap = 2;
    }
  }
  if (framecount % 3 == 0) swirlframe = (swirlframe + 1) % 32;
  if (changecount > 0 && --changecount == 0) psuit = suitnext;
}

void drawplayer(int32_t x, int32_t y) {
  const int32_t style = drawnstyle();
  DrawImage(pdir == 1 ? platimg : platflip, x, y, style * 75 + pframe);
}

void movement() {
  switch (psuit) {
    case 1: pdomario(); break;
    case 2: pdosonic(); break;
    default: pdoplat(); break;
  }
}

void rightaligned(int32_t y, const String& text) { Text(794 - StringWidth(text), y, text); }

void statusbar() {
  SetFont(font(1));
  Color(200, 200, 255);
  Text(1, 576, "Score : " + String(score));
  Text(100, 576, "Time Bonus : " + String((timeleft / 60 + 1) * 5));
  Color(255, 200, 200);
  Text(1, 587, "Level : " + String(currentlevel));
  Color(200, 200, 255);
  rightaligned(576, leveltext1);
  Color(255, 200, 200);
  rightaligned(587, leveltext2);
}

void grabscreen() { CopyRect(0, 0, 800, 600, 0, 0, BackBuffer(), ImageBuffer(fadegamea)); }

// The opening: the level shows through a growing set of holes in the previous picture
// while the player's sprite glides to its place.
void openingfade() {
  SetBuffer(ImageBuffer(fadegameb));
  Color(30, 15, 0);
  Rect(0, 0, 800, 600, 1);
  play_draw_do(0);
  SetBuffer(BackBuffer());
  int32_t spritex = 400, spritey = 300;
  for (int32_t i = 0; i < 32; ++i) {
    scrx -= (scrx - targetx) >> 3;
    scry -= (scry - targety) >> 3;
    clampcamera(scrx, scry);
    Cls();
    DrawImage(fadegameb, 0, 0);
    SetBuffer(ImageBuffer(fadegamea));
    Color(255, 0, 255);
    for (int32_t h = 0; h < 26; ++h) Rect(Rand(0, 13) * 64, Rand(0, 10) * 64, 64, 64, 1);
    Rect(spritex, spritey, 32, 32, 1);
    SetBuffer(BackBuffer());
    DrawImage(fadegamea, 0, 0);
    drawplayer(spritex, spritey);
    const int32_t tox = (pcellx - 1) * 32 + poffx + scrx, toy = (pcelly - 1) * 32 + poffy + scry;
    spritex += (tox - spritex) / 8;
    spritey += (toy - spritey) / 8;
    if (spritex - tox < 16 && tox - spritex < 16 && spritey - toy < 16 && toy - spritey < 16) {
      spritex = tox;
      spritey = toy;
    }
    Flip(1);
  }
}

void startlevel() {
  dartperiod = difficulty == 1 ? 180 : difficulty == 3 ? 90 : 120;
  poptick = 0;
  framecount = 0;
  levelresult = endkind = endcount = 0;
  dartclock = switchswap = swirlframe = waterframe = animstep = 0;
  changecount = suittimer = 0;
  suitnext = psuit;
  lastlanding = -10;
  pcellx = startx;
  pcelly = starty;
  poffx = poffy = 0;
  pdir = 1;
  pstate = ptick = pframe = 0;
  swimming = jumplatch = 0;
  holdingon = 0;
  bgred = 30;
  bggreen = 15;
  bgblue = 0;
  cameratarget();
  scrx = targetx;
  scry = targety;
  openingfade();
  if (!ChannelPlaying(musicchan) && musicoption == 1) musicchan = PlayMusic("system/098/closureb.xm");
  musicvolume = 0.4f;
  ChannelVolume(musicchan, musicvolume);
  timeleft = 6000;
  lastframe = MilliSecs();
}

// The map (with the random seed fixed for the frame, so a style change flickers in a stable
// pattern), the objects, the player's movement and the player.
void play_draw_map() {
  SeedRnd(changeseed);
  play_draw_do(1);
  switchswap = 0;
  Color(0, 0, 0);
  Rect(0, 576, 800, 32, 1);

  doobjects();
  getaround();
  gripstates(0);
  movement();
  getaround();
  gripstates(1);

  if (framecount % 2 == 0) animstep += 1;
  cameratarget();
  if (endkind >= 1 && endkind <= 3) {
    pframe = endkind == 1 ? 39 : endkind == 2 ? 40 : 24;
    endcount += 1;
  }
  const int32_t railbelow = map(pcellx, pcelly + 1) == 1 ? 2 : 0;
  drawplayer((pcellx - 1) * 32 + poffx + scrx, (pcelly - 1) * 32 + poffy + scry + railbelow);
}

void frame() {
  Cls();
  framecount += 1;
  if (timeleft > 100 && endkind == 0) timeleft -= 1;
  whichset(framecount % 9 + 1);
  if (framecount > 1) waterframe = (waterframe + 1) % 256;
  stylebackground(changecount > 0 ? suitnext : psuit, 576);
  scrx -= (scrx - targetx) >> 3;
  scry -= (scry - targety) >> 3;
  clampcamera(scrx, scry);
  timers();
  play_draw_map();
  when_still();
  playcontrol();
  if (suittimer <= 0 && musicvolume < 0.4f) {
    musicvolume = musicvolume + 0.02f > 0.4f ? 0.4f : musicvolume + 0.02f;
    ChannelVolume(musicchan, musicvolume);
  }
  if (endcount == 119) grabscreen();
  if (endcount >= 120) levelresult = endkind;
  statusbar();
  if (escapedown()) {
    grabscreen();
    const int32_t choice = ingamemenu();
    if (choice == 2) levelresult = 2;
    if (choice == 3) levelresult = 99;
  }
  framerate60();
}

}  // namespace

int32_t easechannel(int32_t current, int32_t target) {
  current -= (current - target) >> 3;
  return current - target < 8 && target - current < 8 ? target : current;
}

// The background eases towards the colour of a movement style and fills the screen down to
// height (0: nothing shows it this frame); play and the editor share it.
void stylebackground(int32_t style, int32_t height) {
  const int32_t* target = kStyleColours[style];
  bgred = easechannel(bgred, target[0]);
  bggreen = easechannel(bggreen, target[1]);
  bgblue = easechannel(bgblue, target[2]);
  if (height == 0) return;
  Color(bgred, bggreen, bgblue);
  Rect(0, 0, 800, height, 1);
}

void framerate60() {
  framesthissecond += 1;
  if (MilliSecs() - lastcount > 1000) {
    shownrate = framesthissecond;
    framesthissecond = 0;
    lastcount = MilliSecs();
  }
  if (showframerate == 1) {
    SetFont(font(1));
    Color(255, 255, 255);
    Text(1, 1, String(shownrate));
  }
  while (MilliSecs() - lastframe <= 15) Delay(1);
  lastframe = MilliSecs();
  Flip(1);
}

int32_t playlevel() {
  startlevel();
  while (levelresult == 0) frame();
  if (levelresult == 3) score += (timeleft / 60 + 1) * 5;
  if (levelresult != 3 && levelresult != 99) {
    score -= 24;  // the penalty of 20 times 1.2, rounded
    if (score < 0) score = 0;
  }
  StopChannel(mariochan);
  StopChannel(drumchan);
  stopmusic();
  DebugLog("Level " + String(currentlevel) + " : result " + String(levelresult) + ", score " + String(score));
  return levelresult;
}
