// The game's globals, arrays and user types. All are constant-initialised: the program
// needs no static constructors.
#include "tobrix.hpp"

int32_t musicoption, fullscreen, portsenabled, onebuttonjump, difficulty, klingin, showframerate;
int32_t loaded, totalload, packsloaded;
int32_t score, scrx, scry;
StringVar tagline, packname, decoa, decob;

int32_t platimg, platflip, mouseimg, tinymapimg, swirlimg, objimg, objflip, gfximg, buts, waterimg;
int32_t fadegamea, fadegameb, shiftblock, levelicons, nolevel;
int32_t drumsfx, mariosfx, sonicsfx, musicchan;

Array<int32_t, 2> key;
Array<String, 1> keylabel;
Array<int32_t, 1> useskey;
Array<int32_t, 1> row;
Array<int32_t, 1> font;
Array<int32_t, 2> map;
Array<String, 1> mapdef;
Array<int32_t, 2> orig;
Array<String, 2> mappak;
Array<String, 2> paktext;
Array<String, 2> blockinfo;
Array<int32_t, 2> blockuser;
Array<int32_t, 1> sfx;
Array<int32_t, 2> matrix;

ObjectType<3> packs{__kvStrType, __kvIntType, __kvIntType};
ObjectType<8> ect{__kvIntType, __kvIntType, __kvIntType, __kvIntType,
                  __kvIntType, __kvIntType, __kvIntType, __kvIntType};
ObjectType<4> ore{__kvIntType, __kvIntType, __kvIntType, __kvIntType};

int32_t startx, starty, packlevels, currentlevel, editing;
StringVar leveltext1, leveltext2;

int32_t pcellx, pcelly, poffx, poffy, pdir, pstate, ptick, pframe, swimming, jumplatch;
int32_t holdingon, psuit, suitnext, suittimer, changecount, changeseed;
int32_t canleft, canright, canup, candown, walkleft, walkright;

int32_t levelresult, endkind, endcount, timeleft, framecount, dartperiod, dartclock;
int32_t poptick, switchswap, swirlframe, waterframe, animstep, lastlanding;
int32_t mariochan, drumchan, mudown;
float musicvolume;

int32_t menumode, menusel, unlocked, testing;
