// The main menu (page 0) and the options (page 1). Slot 5 or 7 takes the highlighted entry;
// both pages return 1 when the display must change between window and full screen.
#include "tobrix.hpp"

using namespace korvo;

namespace {

constexpr const char* kMainEntries[4] = {"Start Game", "Options", "Credits", "Editor"};
constexpr int32_t kOptionY[8] = {316, 340, 364, 388, 412, 450, 474, 512};

int32_t chosen() {
  if (mudown || !(down(5) || down(7))) return 0;
  mudown = 1;
  return 1;
}

// Start-up runs again from startanew in the other display mode, with a new tagline.
int32_t switchdisplay() {
  choosetagline();
  stopmusic();
  fullscreen = 3 - fullscreen;
  return 1;
}

String optiontext(int32_t entry) {
  switch (entry) {
    case 1: return "Back to Main Menu";
    case 2: return fullscreen == 1 ? "Switch to Windowed" : "Switch to Fullscreen";
    case 3: return musicoption == 1 ? "Turn the music off" : "Bring back the music";
    case 4:
      return onebuttonjump == 1 ? "Jump Method - One Button - Turn then Jump" : "Jump Method - Two Button - Instant Jump";
    case 5: return difficulty == 1 ? "Difficulty - Easy" : difficulty == 3 ? "Difficulty - Hard" : "Difficulty - Normal";
    case 6: return portsenabled == -1 ? "[J]oystick - Disabled" : "[J]oystick - Enabled";
    case 7: return "Define Joystick Buttons";
    default: return showframerate == 1 ? "Hide Framerate" : "Show Framerate";
  }
}

int32_t toggled(int32_t value) { return value == 1 ? 0 : 1; }

}  // namespace

int32_t mainmenu() {
  SetFont(font(3));
  for (int32_t i = 1; i <= 4; ++i) menuentry(i == menusel, 200, 332 + (i - 1) * 32, kMainEntries[i - 1]);
  if (KeyDown(33)) {
    // Held through start-up, F would switch straight back.
    while (KeyDown(33)) Delay(10);
    return switchdisplay();
  }
  if (!chosen()) return 0;
  switch (menusel) {
    case 1:
      menumode = 2;
      menusel = 1;
      break;
    case 2:
      menumode = 1;
      menusel = 1;
      break;
    case 3: credits(); break;
    default:
      while (down(5) || down(7)) Delay(10);
      decoa = "";
      decob = "";
      choosetagline();
      stopmusic();
      editor();
      break;
  }
  return 0;
}

int32_t optionsmenu() {
  SetFont(font(2));
  for (int32_t i = 1; i <= 8; ++i) menuentry(i == menusel, 200, kOptionY[i - 1], optiontext(i));
  if (!chosen()) return 0;
  switch (menusel) {
    case 1:
      menumode = 0;
      menusel = 1;
      savesettings();
      break;
    case 2: return switchdisplay();
    case 3:
      musicoption = toggled(musicoption);
      if (musicoption == 0) stopmusic();
      break;
    case 4: onebuttonjump = toggled(onebuttonjump); break;
    case 5: difficulty = difficulty >= 3 ? 1 : difficulty + 1; break;
    case 6: portsenabled = portsenabled == -1 ? 0 : -1; break;
    case 7: getjoybuts(); break;
    default: showframerate = toggled(showframerate); break;
  }
  return 0;
}
