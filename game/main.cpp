// Tobrix's main program: defaults, control sets and settings once, then start-up and the
// title screen, again from startanew whenever the display changes between window and full
// screen.
#include "tobrix.hpp"

extern "C" void __MAIN() {
  korvo::Restore(__DATA);
  korvo::AppTitle("Tobrix 2007 : Loading", "");
  musicoption = 1;
  fullscreen = 2;
  portsenabled = -1;
  onebuttonjump = 0;
  difficulty = 2;
  klingin = 0;
  loaded = 0;
  totalload = 220;
  score = 0;
  scrx = 0;
  scry = 0;
  setupcontrols();
  readsettings();
  do {
    startanew();
  } while (titlescreen());
}
