// A program module built from the game's routines with a main of its own: each scenario
// (named on the command line) sets up what it needs, calls the routines as the game does,
// and reports results as "name=value" log lines for game_test.cpp to read.
#include "test_world.hpp"

using namespace korvo;

namespace {

void report(const char* name, const String& value) { DebugLog(String(name) + "=" + value); }
void report(const char* name, int32_t value) { report(name, String(value)); }

// A level from rows of text (rows not given are empty) decoded for play.
void level(const char* const* rows, int32_t count) {
  for (int32_t y = 1; y <= maph; ++y) mapdef(y) = y <= count ? String(rows[y - 1]) : String_("0", 50);
  decodemap(0);
  pcellx = startx;
  pcelly = starty;
  poffx = poffy = pstate = ptick = 0;
  pdir = 1;
  endkind = endcount = changecount = 0;
}

int32_t countobjects() {
  int32_t n = 0;
  for (KvObj* o = First(ect); o; o = After(o)) ++n;
  return n;
}

void settings() {
  setupcontrols();
  fullscreen = 2;
  musicoption = 1;
  difficulty = 2;
  portsenabled = -1;
  readsettings();
  report("fullscreen", fullscreen);
  report("music", musicoption);
  report("difficulty", difficulty);
  report("ports", portsenabled);
  report("joyhold", key(6, 3));
  report("joyjumpleft", key(5, 3));
  report("showframerate", showframerate);
  if (Instr(CommandLine(), "write")) {
    tagline = "Spikes are mean";
    savesettings();
  }
}

void runlength() {
  report("run53", mezrunch(String_("a", 53)));
  report("aaab", mezrunch("aaab"));
  report("eleven", mezrunch("abcdefghijk"));
  report("ten", mezrunch("abcdefghij"));
  report("back", mezorunch("CaAb"));
  report("lone", mezorunch("CaX"));
  const String mixed = String_("0", 120) + "s" + String_("2", 70) + "abcdefghijklmnop" + String_("w", 2500);
  report("roundtrip", mezorunch(mezrunch(mixed)) == mixed);
  report("spaces", Instr(mezrunch(mixed), " "));
}

void decoding() {
  const char* rows[] = {
      "20000p0000", "2.000pp000", "0.2000pp00", "00.00000b0", "00000s0rP0", "2220000w00",
  };
  level(rows, 6);
  report("start", String(startx) + "," + starty);
  report("wall", String(map(1, 1)) + "," + map(1, 6) + "," + map(2, 6));
  report("rope", String(map(2, 2)) + "," + map(2, 3) + "," + map(3, 4));
  report("pipe", String(map(6, 1)) + "," + map(6, 2) + "," + map(7, 2) + "," + map(7, 3) + "," + map(8, 3));
  report("block", String(map(9, 4)) + "," + orig(9, 4));
  report("water", map(8, 6));
  report("objects", countobjects());
  report("frame", String(map(0, 0)) + "," + map(51, 51));
  decodemap(1);
  report("editor", String(map(1, 6)) + "," + map(6, 5) + "," + map(8, 6) + "," + map(2, 2) + "," + map(6, 1));
  report("editorobjects", countobjects());
}

void pack(const String& name) {
  loadpak(name);
  report("packlevels", packlevels);
  for (int32_t l = 1; l <= 3; ++l) {
    report("valid", mappak(0, l));
    report("row1", Len(mappak(1, l)));
  }
  report("text", paktext(1, 2));
  report("row5", mappak(5, 2));
  report("row0", mappak(0, 21));
  savepak();
}

void scoretable() {
  buildscoretable();
  for (KvObj* p : Each(packs)) {
    report("pack", String(StringRef(&p->fields[packName].s)) + ":" + field(p, packBest) + ":" + field(p, packPlayed));
  }
  savescores();
}

// The rules of play that do not need a whole level run.
void world() {
  setupcontrols();
  testworld();
}

void rules() {
  world();
  const char* rows[] = {"00000000", "000s0000", "22222222"};
  level(rows, 3);
  // Spikes: deadly to the hero, harmless to the jumper.
  map(4, 2) = 10;
  psuit = 1;
  when_still();
  report("spikes1", endkind);
  psuit = 0;
  when_still();
  report("spikes0", endkind);
  endkind = changecount = 0;
  suittimer = 1000;
  map(4, 2) = 0;
  // A dart on the player.
  for (int32_t style = 0; style <= 2; ++style) {
    psuit = style;
    endkind = 0;
    newect(4, 2, 4, 5, 1, 0);
    doobjects();
    report("dart", endkind);
    DeleteEach(ect);
  }
  endkind = 0;
  // Rings, spheres and balloons by style.
  for (int32_t style = 0; style <= 2; ++style) {
    psuit = style;
    score = 0;
    newect(4, 2, 3, 1, 0, 1);
    newect(4, 2, 5, 25, 0, 1);
    doobjects();
    report("collected", score);
    DeleteEach(ect);
    DeleteEach(ore);
  }
  // A switch on hard seals every switch for 10 frames, on normal for 100.
  for (difficulty = 2; difficulty <= 3; ++difficulty) {
    psuit = 0;
    poptick = 0;
    level(rows, 3);
    map(4, 3) = 19;
    map(6, 3) = 19;
    when_still();
    report("poptick", poptick);
    int32_t sealed = 0;
    for (; poptick > 0 && map(6, 3) != 21; --poptick) {
      play_draw_do(1);
      if (map(6, 3) == 22) ++sealed;
    }
    report("sealed", sealed);
  }
  difficulty = 2;
  poptick = 0;
  // The controls wait while the style changes.
  level(rows, 3);
  Delay(100);
  changecount = 30;
  getaround();
  playcontrol();
  report("duringchange", pstate);
  changecount = 0;
  when_still();
  report("right", down(4));
  playcontrol();
  report("afterchange", pstate);
  // One jump button: a press against the facing turns the player first.
  level(rows, 3);
  onebuttonjump = 1;
  pdir = -1;
  when_still();
  playcontrol();
  report("turn", String(pstate) + "," + pdir);
  int32_t frames = 0;
  for (; pstate == 7 && frames < 100; ++frames) pdoplat();
  when_still();
  playcontrol();
  report("turned", String(frames) + "," + pstate);
  onebuttonjump = 0;
  // Hold on a balloon block: a balloon and the balloon state, in the hero's style only.
  for (int32_t style = 0; style <= 1; ++style) {
    level(rows, 3);
    psuit = style;
    map(4, 2) = 24;
    when_still();
    report("balloon", String(pstate) + "," + countobjects());
  }
}

// Plays the level of the pack named on the command line with the score given; reports the
// result and the score.
void play(int32_t level, int32_t start) {
  world();
  loadpak("Classic");
  getlevel(level);
  currentlevel = level;
  score = start;
  RuntimeStats();
  report("result", playlevel());
  report("score", score);
  RuntimeStats();
}

// Plays the level again and again (each death restarts it) until the input script ends the
// run.
void soak() {
  world();
  loadpak("Classic");
  for (int32_t run = 1;; ++run) {
    getlevel(1);
    currentlevel = 1;
    report("run", run);
    report("result", playlevel());
  }
}

// Writes settings.ini, "My Levels.pak" and Scores.dat again and again, round k writing version
// first + k of each (every value in the three files tells it), for the given number of rounds
// or, with 0, until the process is killed.
void saves(int32_t rounds, int32_t first) {
  world();
  KvObj* packsmade[2] = {New(packs), New(packs)};
  StringRef(&packsmade[0]->fields[packName].s) = "Alpha";
  StringRef(&packsmade[1]->fields[packName].s) = "Beta";
  for (int32_t round = 1; rounds == 0 || round <= rounds; ++round) {
    const int32_t k = first + round;
    difficulty = k;
    tagline = "version " + String(k);
    savesettings();
    for (int32_t l = 1; l <= 20; ++l) {
      paktext(1, l) = "version " + String(k) + String_("x", k % 300);
      paktext(2, l) = String(l);
      for (int32_t r = 1; r <= maph; ++r) mappak(r, l) = String_("2", (k + r) % 50) + String_("s", 50 - (k + r) % 50);
    }
    savepak();
    for (KvObj* p : packsmade) field(p, packBest) = field(p, packPlayed) = k;
    savescores();
  }
}

}  // namespace

extern "C" void __MAIN() {
  Restore(__DATA);
  const String line = CommandLine();
  const String scenario = Left(line, Instr(line + " ", " ") - 1);
  const String argument = Mid(line, Len(scenario) + 2);
  if (scenario == "settings") settings();
  if (scenario == "runlength") runlength();
  if (scenario == "decode") {
    world();
    decoding();
  }
  if (scenario == "pack") {
    world();
    pack(argument);
  }
  if (scenario == "scores") scoretable();
  if (scenario == "rules") rules();
  if (scenario == "play") play(1, argument.toInt());
  if (scenario == "soak") soak();
  if (scenario == "saves") saves(argument.toInt(), Mid(argument, Instr(argument + " ", " ") + 1).toInt());
  RuntimeStats();
}
