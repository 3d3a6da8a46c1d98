// Until the title loop exists, the title screen hands straight to a game of the Classic
// pack (classicloop). "-level N" on the command line plays level N of the loaded pack once
// and ends the program, for recorded runs.
#include "tobrix.hpp"

using namespace korvo;

namespace {

KvObj* currentpack() {
  for (KvObj* p = First(packs); p; p = After(p)) {
    if (Upper(StringRef(&p->fields[packName].s)) == Upper(packname)) return p;
  }
  return nullptr;
}

// Stores progress and the best score of the current pack when they improved.
void recordprogress(int32_t level) {
  KvObj* pack = currentpack();
  if (!pack) return;
  int32_t changed = 0;
  if (field(pack, packPlayed) < level && level <= packlevels) {
    field(pack, packPlayed) = level;
    changed = 1;
  }
  if (field(pack, packBest) < score) {
    field(pack, packBest) = score;
    changed = 1;
  }
  if (changed) savescores();
}

void clearworld() {
  for (int32_t x = 0; x <= mapw + 1; ++x) {
    for (int32_t y = 0; y <= maph + 1; ++y) map(x, y) = 2;
  }
  DeleteEach(ect);
  DeleteEach(ore);
}

int32_t levelfromcommandline() {
  const String line = CommandLine();
  const int32_t at = Instr(line, "-level ");
  return at ? Mid(line, at + 7).toInt() : 0;
}

}  // namespace

void classicloop(int32_t level) {
  score = 0;
  currentlevel = level;
  const int32_t once = levelfromcommandline() > 0;
  for (;;) {
    clearworld();
    getlevel(currentlevel);
    const int32_t result = playlevel();
    if (result == 3) currentlevel += 1;
    recordprogress(currentlevel);
    if (currentlevel > packlevels || result == 99 || (once && result == 3)) break;
  }
  stopmusic();
  while (KeyDown(1)) Delay(10);
}

int32_t titlescreen() {
  CopyRect(0, 0, 800, 600, 0, 0, BackBuffer(), ImageBuffer(fadegamea));
  const int32_t level = levelfromcommandline();
  if (packlevels > 0) classicloop(level > 0 && level <= packlevels ? level : 1);
  End();
  return 0;
}
