// Start-up: the settings file, the display, every asset with the loading bar, the block
// table, the first pack and the score table. startanew runs again after each change
// between window and full screen, since a new display frees every image.
#include "tobrix.hpp"

using namespace korvo;

namespace {

constexpr const char* kTaglines[10] = {
    "Big and Chunky - The way it should be", "Something retro this way comes", "Pushing all your buttons",
    "Jump like there's no tomorrow",         "Taking all the uncharted crates", "Bricking good fun",
    "Spikes are mean",                       "Twitch-a-rific",                  "Don't forget the Editor",
    "10 years of Zorbel",
};

struct SheetLoad {
  int32_t* image;
  const char* file;
  int32_t width, height, frames, masked, load;
  int32_t* mirror;  // the sheet mirrored frame by frame, or null
};

const SheetLoad kSheets[] = {
    {&platimg, "system/098/plat.png", 32, 32, 450, 1, 25, &platflip},
    {&mouseimg, "system/098/mouse.png", 32, 32, 8, 1, 5, nullptr},
    {&tinymapimg, "system/098/tinymap.png", 16, 16, 100, 1, 5, nullptr},
    {&swirlimg, "system/098/swirl.png", 32, 32, 32, 1, 5, nullptr},
    {&objimg, "system/098/obj.png", 32, 32, 450, 1, 25, &objflip},
    {&gfximg, "system/098/gfx.png", 32, 32, 450, 1, 25, nullptr},
    {&buts, "system/098/buts.png", 64, 32, 2, 1, 10, nullptr},
    {&waterimg, "system/098/water.png", 32, 32, 450, 0, 25, nullptr},
};

// A mirror image of a 32 by 32 sheet, one pixel column at a time.
int32_t mirrorsheet(int32_t source, int32_t frames) {
  const int32_t mirror = CreateImage(32, 32, frames);
  for (int32_t f = 0; f < frames; ++f) {
    const int32_t from = ImageBuffer(source, f);
    const int32_t to = ImageBuffer(mirror, f);
    for (int32_t x = 0; x <= 31; ++x) CopyRect(x, 0, 1, 32, 31 - x, 0, from, to);
  }
  return mirror;
}

void loadsounds() {
  for (int32_t i = 1; i <= sfx.bound(); ++i) {
    if (sfx(i)) FreeSound(sfx(i));
  }
  sfx.dim(numsfx);
  for (int32_t i = 1; i <= numsfx; ++i) {
    sfx(i) = LoadSound("sfx/" + String(i) + ".wav");
    if (i % 5 == 0) addload(5);
  }
}

void setting(const String& name, int32_t value) {
  if (name == "FULLSCREEN") fullscreen = value;
  if (name == "MUSIC") musicoption = value;
  if (name == "ONEBUTTONJUMP") onebuttonjump = value;
  if (name == "DIFFICULTY") difficulty = value;
  if (name == "ENABLEJOYPORTS") portsenabled = value;
  if (name == "JOYJUMPLEFT") key(5, 3) = value;
  if (name == "JOYHOLD") key(6, 3) = value;
  if (name == "JOYJUMPRIGHT") key(7, 3) = value;
  if (name == "SHOWFRAMERATE") showframerate = value;
}

}  // namespace

void readsettings() {
  if (FileType("settings.ini") == 0) return;
  const int32_t file = ReadFile("settings.ini");
  if (!file) return;
  while (!Eof(file)) {
    const String line = ReadLine(file);
    const int32_t p = Instr(line, "=");
    if (p > 0) setting(Upper(Mid(line, 1, p - 1)), Upper(Mid(line, p + 1, 10)).toInt());
  }
  CloseFile(file);
}

// The settings as the options menu writes them, the tagline last.
void savesettings() {
  const int32_t file = WriteFile("settings.ini");
  if (!file) return;
  const String lines[] = {
      "   Tobrix Settings",
      "",
      "Fullscreen=" + String(fullscreen),
      "Music=" + String(musicoption),
      "OneButtonJump=" + String(onebuttonjump),
      "Difficulty=" + String(difficulty),
      "",
      "   Controls",
      "",
      "EnableJoyPorts=" + String(portsenabled),
      "JoyJumpLeft=" + String(key(5, 3)),
      "JoyHold=" + String(key(6, 3)),
      "JoyJumpRight=" + String(key(7, 3)),
      "",
      "  Wonder what else works?",
      "",
      "ShowFramerate=" + String(showframerate),
      "",
      "  " + tagline.get(),
  };
  for (const String& line : lines) WriteLine(file, line);
  CloseFile(file);
}

void addload(int32_t n) {
  loaded += n;
  ClsColor(0, 0, 80);
  Cls();
  Color(0, 0, 0);
  Rect(0, 80, loaded * 800 / totalload, 100, 1);
  Flip(1);
}

void choosetagline() { tagline = kTaglines[Rand(1, 10) - 1]; }

void startanew() {
  Graphics(800, 600, 32, fullscreen);
  SetBuffer(BackBuffer());
  SeedRnd(MilliSecs());
  totalload = 220;
  row.dim(4);
  TFormFilter(0);
  HidePointer();
  shiftblock = CreateImage(32, 32, 1);
  if (musicoption == 1) {
    musicchan = PlayMusic("system/098/Closure.xm");
    ChannelVolume(musicchan, 0.7f);
  }

  // Back to the game's folder afterwards by name: ".." twice would climb out of it when the
  // asset folder is missing.
  const String gamefolder = CurrentDir();
  ChangeDir("system/098/");
  font.dim(8);
  for (int32_t i = 1; i <= 8; ++i) font(i) = LoadFont("edit undo brk.ttf", i * 10 + 4, 0, 0, 0);
  addload(5);
  int32_t* const named[] = {&drumsfx, &mariosfx, &sonicsfx};
  for (int32_t* s : named) {
    if (*s) FreeSound(*s);
  }
  drumsfx = LoadSound("sfx/drums.wav");
  mariosfx = LoadSound("sfx/mario.wav");
  sonicsfx = LoadSound("sfx/sonic.wav");

  map.dim(mapw + 1, maph + 1);
  mapdef.dim(maph);
  orig.dim(mapw + 1, maph + 1);
  mappak.dim(maph + 1, 25);
  paktext.dim(2, 25);
  levelicons = CreateImage(50, 50, 26);
  nolevel = CreateImage(50, 50, 1);
  SetBuffer(ImageBuffer(nolevel));
  Color(255, 0, 0);
  Line(0, 0, 50, 50);
  Line(50, 0, 0, 50);
  SetBuffer(BackBuffer());
  MaskImage(nolevel, 1, 50, 60);
  addload(5);

  readblocktable();
  addload(15);
  loadsounds();
  ChangeDir(gamefolder);
  SetFont(font(1));

  for (const SheetLoad& s : kSheets) {
    *s.image = LoadAnimImage(s.file, s.width, s.height, 0, s.frames);
    if (s.masked) MaskImage(*s.image, 255, 0, 255);
    addload(s.load);
    if (s.mirror) {
      *s.mirror = mirrorsheet(*s.image, s.frames);
      MaskImage(*s.mirror, 255, 0, 255);
      addload(s.load);
    }
  }
  fadegamea = CreateImage(800, 600, 1);
  MaskImage(fadegamea, 255, 0, 255);
  fadegameb = CreateImage(800, 600, 1);
  MaskImage(fadegameb, 255, 0, 255);
  addload(25);
  matrix.dim(3, 3);
  addload(10);
  DebugLog("Total Loaded = " + String(loaded));
  packname = "Classic";
  loadpak(packname);

  if (packsloaded == 0) {
    buildscoretable();
    savescores();
  }
  packsloaded = 1;
  addload(5);

  AppTitle("Tobrix 2007", "");
  decoa = "";
  decob = "";
  choosetagline();
}
