/* tobrix-contact FOLDER: opens every file of the game's folder FOLDER the way the game does,
 * logs "ok ..." or "FAILED ..." for each (run with KORVO_DEBUG=1 to see the log), and saves
 * a contact sheet beside the folder (FOLDER/../tobrix-contact.bmp): every frame of the
 * player, object and block sheets in each style on its background, the other sheets, and
 * the font at its eight sizes. */
#include "korvo.h"

enum { kStyles = 3, kPerStyle = 75, kCell = 32, kWidth = 800, kHeight = 1500 };

static int32_t failures;

static KvString* text(const char* s) { return __kvStrConst(s); }

static void report(KvString* what, int32_t ok) {
  if (!ok) ++failures;
  _fdebuglog(__kvStrConcat(text(ok ? "ok " : "FAILED "), what));
}

struct Sheet {
  const char* file;
  int32_t width, height, frames, masked;
  int32_t image;
};

static struct Sheet sheets[] = {
    {"system/098/plat.png", 32, 32, 450, 1, 0},   {"system/098/obj.png", 32, 32, 450, 1, 0},
    {"system/098/gfx.png", 32, 32, 450, 1, 0},    {"system/098/water.png", 32, 32, 450, 0, 0},
    {"system/098/swirl.png", 32, 32, 32, 1, 0},   {"system/098/tinymap.png", 16, 16, 100, 1, 0},
    {"system/098/mouse.png", 32, 32, 8, 1, 0},    {"system/098/buts.png", 64, 32, 2, 1, 0},
};
enum { kPlat, kObj, kGfx, kWater, kSwirl, kTiny, kMouse, kButs, kSheets };

static const int32_t kBackgrounds[kStyles][3] = {{30, 15, 0}, {107, 140, 255}, {34, 0, 170}};

/* count frames from first, laid out across rows of `across`, from (x, y). */
static int32_t drawFrames(int32_t image, int32_t first, int32_t count, int32_t across, int32_t w, int32_t h,
                          int32_t x, int32_t y) {
  for (int32_t i = 0; i < count; ++i) _fdrawimage(image, x + (i % across) * w, y + (i / across) * h, first + i);
  return y + ((count + across - 1) / across) * h;
}

static void loadSheets(void) {
  for (int32_t i = 0; i < kSheets; ++i) {
    struct Sheet* s = &sheets[i];
    s->image = _floadanimimage(text(s->file), s->width, s->height, 0, s->frames);
    if (s->image && s->masked) _fmaskimage(s->image, 255, 0, 255);
    report(__kvStrConcat(__kvStrConcat(text(s->file), text(" frames ")), __kvStrFromInt(s->frames)), s->image != 0);
  }
}

static int32_t drawStyles(int32_t y) {
  for (int32_t s = 0; s < kStyles; ++s) {
    _fcolor(kBackgrounds[s][0], kBackgrounds[s][1], kBackgrounds[s][2]);
    _frect(0, y, kWidth, 3 * 96 + 8, 1);
    y = drawFrames(sheets[kPlat].image, s * kPerStyle, kPerStyle, 25, kCell, kCell, 0, y);
    y = drawFrames(sheets[kObj].image, s * kPerStyle, kPerStyle, 25, kCell, kCell, 0, y);
    y = drawFrames(sheets[kGfx].image, s * kPerStyle, kPerStyle, 25, kCell, kCell, 0, y) + 8;
  }
  return y;
}

static int32_t drawOthers(int32_t y) {
  _fcolor(60, 60, 70);
  _frect(0, y, kWidth, 96 + 32 + 64 + 32 + 64 + 16, 1);
  y = drawFrames(sheets[kGfx].image, 375, 75, 25, kCell, kCell, 0, y);
  y = drawFrames(sheets[kWater].image, 0, 25, 25, kCell, kCell, 0, y);
  y = drawFrames(sheets[kSwirl].image, 0, 32, 25, kCell, kCell, 0, y);
  y = drawFrames(sheets[kTiny].image, 0, 100, 50, 16, 16, 0, y);
  drawFrames(sheets[kMouse].image, 0, 8, 8, kCell, kCell, 0, y);
  drawFrames(sheets[kButs].image, 0, 2, 2, 64, 32, 8 * kCell + 16, y);
  return y + kCell + 16;
}

static int32_t drawFonts(int32_t y) {
  _fchangedir(text("system/098/"));
  for (int32_t i = 1; i <= 8; ++i) {
    const int32_t size = i * 10 + 4;
    const int32_t font = _floadfont(text("edit undo brk.ttf"), size, 0, 0, 0);
    report(__kvStrConcat(text("edit undo brk.ttf at "), __kvStrFromInt(size)), font != 0);
    if (!font) continue;
    _fsetfont(font);
    report(__kvStrConcat(text("font height "), __kvStrFromInt(_ffontheight())), _ffontheight() == size);
    _fcolor(255, 220, 120);
    _ftext(4, y, text(i < 4 ? "Tobrix 2007 : Jump like there's no tomorrow! 0123456789 ?#@" : "TOBRIX Bricking good fun"),
           0, 0);
    y += size;
  }
  _fchangedir(text(".."));
  _fchangedir(text(".."));
  return y;
}

static void loadSounds(void) {
  static const char* const kNamed[] = {"drums", "mario", "sonic"};
  for (int32_t i = 1; i <= 21; ++i) {
    KvString* name = i <= 18 ? __kvStrFromInt(i) : text(kNamed[i - 19]);
    KvString* file = __kvStrConcat(__kvStrConcat(text("system/098/sfx/"), name), text(".wav"));
    const int32_t sound = _floadsound(__kvStrLoad(&file));
    report(file, sound != 0);
    if (sound) _ffreesound(sound);
  }
}

/* A tune starts and still plays a minute later. */
static void playTune(const char* file) {
  const int32_t channel = _fplaymusic(text(file));
  report(__kvStrConcat(text(file), text(" plays")), channel != 0 && _fchannelplaying(channel));
  if (!channel) return;
  _fdelay(60000);
  report(__kvStrConcat(text(file), text(" plays on after a minute")), _fchannelplaying(channel));
  _fstopchannel(channel);
}

void __MAIN(void) {
  _fchangedir(_fcommandline());
  _fgraphics(800, 600, 32, 2);
  loadSheets();
  const int32_t contact = _fcreateimage(kWidth, kHeight, 1);
  _fsetbuffer(_fimagebuffer(contact, 0));
  _fclscolor(20, 20, 24);
  _fcls();
  int32_t y = drawStyles(0);
  y = drawOthers(y);
  drawFonts(y);
  report(text("contact sheet saved"), _fsaveimage(contact, text("../tobrix-contact.bmp"), 0));
  loadSounds();
  playTune("system/098/Closure.xm");
  playTune("system/098/closureb.xm");
  _fdebuglog(__kvStrConcat(text("failures "), __kvStrFromInt(failures)));
}
