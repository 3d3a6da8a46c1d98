// The title loop: the band with the title in a slowly changing colour, the hero's poses on
// either side, the tagline and two decoration strings that draw themselves in, with one
// menu page below. Escape steps back a page and ends the program from the main menu.
#include "tobrix.hpp"

using namespace korvo;

namespace {

constexpr int32_t kTitleColours[6][3] = {{255, 150, 150}, {255, 255, 150}, {150, 255, 150},
                                         {150, 255, 255}, {150, 150, 255}, {255, 150, 255}};

int32_t titleframe, spritetimer, spriteframe, nextcolour, joylatch;
int32_t colour[3], target[3];

void music() {
  if (ChannelPlaying(musicchan)) return;
  spritetimer = -300;
  if (musicoption == 1) {
    musicchan = PlayMusic("system/098/closure.xm");
    ChannelVolume(musicchan, 0.7f);
  }
}

// Every 60 frames, and at once while the target is still dark, the next colour of the cycle.
void titlecolour() {
  if (titleframe % 60 == 0 || target[0] < 50 || target[1] < 50 || target[2] < 50) {
    for (int32_t i = 0; i < 3; ++i) target[i] = kTitleColours[nextcolour][i];
    nextcolour = (nextcolour + 1) % 6;
  }
  for (int32_t i = 0; i < 3; ++i) colour[i] = easechannel(colour[i], target[i]);
}

void decorations() {
  if (Len(decoa) < 26) {
    if (titleframe % 8 == 0) {
      decoa = "\\" + decoa.get();
      decob = decob.get() + "\\";
    }
    if (titleframe % 16 == 0) {
      decoa = "/" + decoa.get();
      decob = decob.get() + "/";
    }
    decoa = Left(decoa, 26);
    decob = Right(decob, 26);
  }
  SetFont(font(4));
  Color(colour[2] / 2, colour[0] / 2, colour[1] / 2);
  Text(-16, 70, decoa);
  Text(816 - StringWidth(decob), 146, decob);
}

void band() {
  ClsColor(0, 0, 80);
  Cls();
  Color(0, 0, 0);
  Rect(0, 80, 800, 100, 1);
  music();
  titleframe += 1;
  if (++spritetimer > 29) {
    spritetimer = 0;
    spriteframe = Rand(0, 47);
  }
  titlecolour();
  Color(colour[0], colour[1], colour[2]);
  SetFont(font(5));
  DrawImage(platimg, 240, 116, spriteframe);
  DrawImage(platflip, 520, 116, spriteframe);
  Text(400, 130, "TOBRIX", 1, 1);
  Color(80, 80, 160);
  SetFont(font(2));
  Text(400, 200, tagline, 1, 1);
  decorations();
}

int32_t entries() {
  if (menumode == 0) return 4;
  if (menumode == 1) return 8;
  int32_t count = 0;
  for (KvObj* p = First(packs); p; p = After(p)) ++count;
  return count;
}

// Slots 1 and 2 move the highlight once per press, round the ends of the list.
void navigate() {
  if (mudown && !anyslotdown()) mudown = 0;
  if (mudown || menumode > 2) return;
  const int32_t count = entries();
  if (count == 0) return;
  if (down(1)) {
    menusel = menusel <= 1 ? count : menusel - 1;
    mudown = 1;
  } else if (down(2)) {
    menusel = menusel >= count ? 1 : menusel + 1;
    mudown = 1;
  }
}

int32_t page() {
  switch (menumode) {
    case 0: return mainmenu();
    case 1: return optionsmenu();
    case 2: packlist(); return 0;
    default: levelgrid(); return 0;
  }
}

void joystickkey() {
  if (KeyDown(36)) {
    if (!joylatch) portsenabled = portsenabled == -1 ? 0 : -1;
    joylatch = 1;
  } else {
    joylatch = 0;
  }
}

void escape() {
  if (!escapedown()) return;
  if (menumode == 0) End();
  while (escapedown()) Delay(10);
  if (menumode == 3) {
    menumode = 2;
    menusel = 1;
    const String name = Upper(packname);
    int32_t index = 0;
    for (KvObj* p = First(packs); p; p = After(p)) {
      ++index;
      if (Upper(StringRef(&p->fields[packName].s)) == name) menusel = index;
    }
  } else {
    menumode = 0;
    menusel = 1;
  }
}

}  // namespace

// Returns 1 when start-up must run again for a new display mode; ends the program itself.
int32_t titlescreen() {
  if (menusel < 1) menusel = 1;
  for (;;) {
    band();
    navigate();
    if (page()) return 1;
    joystickkey();
    framerate60();
    escape();
  }
}

// An entry of a menu page, in the highlight colour when selected.
void menuentry(int32_t selected, int32_t x, int32_t y, const String& text) {
  if (selected) {
    Color(180, 180, 255);
  } else {
    Color(50, 50, 180);
  }
  Text(x, y, text);
}
