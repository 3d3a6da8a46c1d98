// A game through a pack (classicloop): from the chosen level on, each level played until it
// is left; progress and the best score of the pack are stored in Scores.dat as they improve.
#include "tobrix.hpp"

using namespace korvo;

namespace {

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

}  // namespace

KvObj* currentpack() { return findpack(packname); }

// Result 3 goes on to the next level, 99 (quit) ends the game, anything else plays the
// level again; the game also ends after the pack's last level.
void classicloop(int32_t level) {
  score = 0;
  currentlevel = level;
  for (;;) {
    clearworld();
    getlevel(currentlevel);
    const int32_t result = playlevel();
    if (result == 3) currentlevel += 1;
    recordprogress(currentlevel);
    if (currentlevel > packlevels || result == 99) break;
  }
  stopmusic();
  while (escapedown()) Delay(10);
}
