// Tobrix: the game's globals, arrays, user types and routines, shared by its files. The
// game reaches the runtime only through the SDK's C++ face.
#pragma once

#include "korvo.hpp"

using korvo::Array;
using korvo::ObjectType;
using korvo::String;
using korvo::StringVar;

// Map size in cells and the number of numbered sound effects.
constexpr int32_t mapw = 50;
constexpr int32_t maph = 50;
constexpr int32_t numsfx = 18;

// Settings and start-up.
extern int32_t musicoption, fullscreen, portsenabled, onebuttonjump, difficulty, klingin, showframerate;
extern int32_t loaded, totalload, packsloaded;
extern int32_t score, scrx, scry;
extern StringVar tagline, packname, decoa, decob;

// Images, sounds and the music channel.
extern int32_t platimg, platflip, mouseimg, tinymapimg, swirlimg, objimg, objflip, gfximg, buts, waterimg;
extern int32_t fadegamea, fadegameb, shiftblock, levelicons, nolevel;
extern int32_t drumsfx, mariosfx, sonicsfx, musicchan;

extern Array<int32_t, 2> key;
extern Array<String, 1> keylabel;
extern Array<int32_t, 1> useskey;
extern Array<int32_t, 1> row;
extern Array<int32_t, 1> font;
extern Array<int32_t, 2> map;
extern Array<String, 1> mapdef;
extern Array<int32_t, 2> orig;
extern Array<String, 2> mappak;
extern Array<String, 2> paktext;
extern Array<String, 2> blockinfo;
extern Array<int32_t, 2> blockuser;
extern Array<int32_t, 1> sfx;
extern Array<int32_t, 2> matrix;

// Types packs (name, best score, levels played), ect (a live level object) and ore (a score
// pop-up).
extern ObjectType<3> packs;
extern ObjectType<8> ect;
extern ObjectType<4> ore;
enum PacksField { packName, packBest, packPlayed };
enum EctField { ectX, ectY, ectOffX, ectOffY, ectKind, ectFrame, ectDir, ectStep };
enum OreField { oreX, oreY, oreFade, oreValue };

// The level: start cell, its two text lines, the pack's count of playable levels, the level
// being played and the editor flag.
extern int32_t startx, starty, packlevels, currentlevel, editing;
extern StringVar leveltext1, leveltext2;

// The player.
extern int32_t pcellx, pcelly, poffx, poffy, pdir, pstate, ptick, pframe, swimming, jumplatch;
extern int32_t holdingon, psuit, suitnext, suittimer, changecount, changeseed;
extern int32_t canleft, canright, canup, candown, walkleft, walkright;

// The play loop.
extern int32_t levelresult, endkind, endcount, timeleft, framecount, dartperiod, dartclock;
extern int32_t poptick, switchswap, swirlframe, waterframe, animstep, lastlanding;
extern int32_t mariochan, drumchan, mudown;
extern float musicvolume;

// controls.cpp
int32_t hitbutton(int32_t code, float threshold);
int32_t down(int32_t slot);
void whichset(int32_t slot);
int32_t anyslotdown();
int32_t escapedown();
void setupcontrols();

// The program's data statements: the block table.
extern "C" const KvDataEntry __DATA[];

// startup.cpp, block_table.cpp
void readsettings();
void savesettings();
void startanew();
void addload(int32_t n);
void choosetagline();
void readblocktable();

// maps.cpp, run_length.cpp
void resetplayer();
void decodemap(int32_t editor);
void encodemap();
void putlevel(int32_t level);
void getlevel(int32_t level);
void testlevel();
void loadmap();
String mezrunch(const String& s);
String mezorunch(const String& s, int32_t limit = 0x7fffffff);

// packs.cpp, scores.cpp
void loadpak(const String& name);
int32_t savepak();
int32_t scorecheck(int32_t best, int32_t played);
void buildscoretable();
// The listed pack of that name (in any case), or null; listpack adds one unless it is there.
KvObj* findpack(const String& name);
void listpack(const String& name);
void savescores();

// surroundings.cpp
int32_t isfloor(int32_t b);
int32_t iswall(int32_t b);
int32_t isladder(int32_t b);
int32_t iswater(int32_t b);
int32_t isflatrail(int32_t b);
void getaround();
void gripstates(int32_t all);
void when_still();

// playcontrol.cpp, the movement styles
void playcontrol();
void pdoplat();
void pdomario();
void pdosonic();
int32_t stepplayer(int32_t dx, int32_t dy);
void endstate();
void animate(int32_t first, int32_t count);
void balloonride(int32_t speed);

// objects.cpp, play_draw.cpp, hints.cpp
KvObj* newect(int32_t x, int32_t y, int32_t kind, int32_t frame, int32_t dir, int32_t step);
void doobjects();
void addscore(int32_t x, int32_t y, int32_t points);
void stopmusic();
int32_t drawnstyle();
void play_draw_do(int32_t update);
void addhint(int32_t x, int32_t y);
String whatkey(int32_t slot);

// play.cpp, ingame_menu.cpp
int32_t playlevel();
void framerate60();
int32_t easechannel(int32_t current, int32_t target);
void stylebackground(int32_t style, int32_t height);
int32_t ingamemenu();

// The title loop and its pages: menumode 0 main menu, 1 options, 2 pack list, 3 level grid;
// menusel the highlighted entry. unlocked is the chosen pack's last playable level.
extern int32_t menumode, menusel, unlocked;
int32_t titlescreen();
int32_t mainmenu();
int32_t optionsmenu();
void packlist();
void levelgrid();
void menuentry(int32_t selected, int32_t x, int32_t y, const String& text);
void classicloop(int32_t level);
KvObj* currentpack();
void getjoybuts();
int32_t findbutton(float threshold, int32_t ports, int32_t allaxes);
void credits();

// The level editor; testing is 1 while a level is played from it.
extern int32_t testing;
void editor();
int32_t mousein(int32_t x, int32_t y, int32_t w, int32_t h);
String textentry(const String& text);

// Field access of a level object.
inline int32_t& field(KvObj* o, int32_t i) { return o->fields[i].i; }
