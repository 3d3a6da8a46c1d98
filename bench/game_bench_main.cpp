// The benchmark's program: the game's routines in a world without asset files (solid
// sheets), Classic level 1 played by the replay planner from "replay.plan" as many times as
// the command line says, with the runtime's counts before and after.
#include "test_world.hpp"

using namespace korvo;

extern int32_t plannerlogframes;
void plannerrestart();

extern "C" void __MAIN() {
  Restore(__DATA);
  setupcontrols();
  testworld();
  loadpak("Classic");
  const int32_t runs = CommandLine().toInt();
  RuntimeStats();
  plannerlogframes = 1;
  for (int32_t run = 0; run < runs; ++run) {
    plannerrestart();
    DeleteEach(ore);
    getlevel(1);
    currentlevel = 1;
    score = 0;
    DebugLog("result=" + String(playlevel()));
  }
  plannerlogframes = 0;
  RuntimeStats();
}
