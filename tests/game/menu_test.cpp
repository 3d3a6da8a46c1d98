// The title loop's pages driven by input scripts: the real game, headless on the virtual
// clock, in a scratch folder with the game's data. What a run did is read from the files it
// wrote (settings.ini, Scores.dat), from the level results it logs, and from the colours of
// its last picture where the menus draw fixed colours.
#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "game/game_files.h"
#include "game/input_script.h"
#include "startup/program_builder.h"

namespace korvo {
namespace {

using testing::GameRun;
using testing::InputScript;
using testing::LevelText;

constexpr int kUp = 200, kDown = 208, kRight = 205, kChoose = 45, kEscape = 1;

const std::vector<std::string> kTaglines = {
    "Big and Chunky - The way it should be", "Something retro this way comes", "Pushing all your buttons",
    "Jump like there's no tomorrow",         "Taking all the uncharted crates", "Bricking good fun",
    "Spikes are mean",                       "Twitch-a-rific",                  "Don't forget the Editor",
    "10 years of Zorbel",
};

std::uint32_t rgb(int r, int g, int b) { return 0xff000000u | static_cast<std::uint32_t>(r << 16 | g << 8 | b); }

// A level of the test packs: walk two cells right to the exit; its texts name it.
LevelText tiny(int n) {
  return {"Level " + std::to_string(n) + " first", "Level " + std::to_string(n) + " second",
          {"2222222", "2s000x2", "2222222"}};
}

class Menus : public ::testing::Test {
 protected:
  void SetUp() override { testing::copyGameData(dir_.path()); }

  // Replaces the Classic pack with five tiny levels and adds "Other" with one.
  void testPacks() {
    write("Tobrix Levels/Classic.pak", testing::packFile({tiny(1), tiny(2), tiny(3), tiny(4), tiny(5)}));
    write("Tobrix Levels/Other.pak", testing::packFile({tiny(1)}));
  }
  void played(std::int32_t classic) {
    write("Scores.dat", testing::scoreRecord("Classic", 0, classic, classic * 77) + testing::scoreRecord("Other", 0, 0, 0));
  }
  GameRun run(InputScript& script) {
    script.wait(500).quit();
    return testing::runGame(dir_.path(), std::string(KORVO_BUILD_DIR) + "/game/tobrix.kvm", "", true, script.text(),
                            "KORVO_SNAPSHOT=last.bmp");
  }
  std::vector<std::uint32_t> picture() { return testing::pixels(dir_.file("last.bmp")); }
  void write(const std::string& name, const std::string& text) { testing::writeText(dir_.file(name), text); }
  std::string read(const std::string& name) { return testing::readText(dir_.file(name)); }
  bool exists(const std::string& name) { return testing::runCommand("test -e '" + dir_.file(name) + "'").status == 0; }

  testing::ScratchDir dir_;
};

// The settings file as the options write it, without its last line (the tagline).
std::string settingsLines(int music, int onebutton, int difficulty, int ports, int framerate) {
  return "   Tobrix Settings\r\n\r\nFullscreen=2\r\nMusic=" + std::to_string(music) +
         "\r\nOneButtonJump=" + std::to_string(onebutton) + "\r\nDifficulty=" + std::to_string(difficulty) +
         "\r\n\r\n   Controls\r\n\r\nEnableJoyPorts=" + std::to_string(ports) +
         "\r\nJoyJumpLeft=323\r\nJoyHold=321\r\nJoyJumpRight=322\r\n\r\n  Wonder what else works?\r\n\r\n"
         "ShowFramerate=" + std::to_string(framerate) + "\r\n\r\n  ";
}

void expectSettings(const std::string& written, const std::string& lines) {
  ASSERT_GE(written.size(), lines.size()) << written;
  EXPECT_EQ(written.substr(0, lines.size()), lines);
  const std::string tagline = written.substr(lines.size(), written.size() - lines.size() - 2);
  EXPECT_NE(std::find(kTaglines.begin(), kTaglines.end(), tagline), kTaglines.end()) << tagline;
}

TEST_F(Menus, HoldingDownMovesTheHighlightByOneEntry) {
  // Held for a second, down goes from "Start Game" to "Options" only: choosing there opens
  // the options, whose first entry writes the settings.
  InputScript script;
  script.keyDown(kDown).wait(1000).keyUp(kDown).wait(100).press(kChoose).press(kChoose).press(kEscape);
  const GameRun run = this->run(script);
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_TRUE(exists("settings.ini")) << run.output;
}

TEST_F(Menus, OptionsToggleAndBackToMainMenuWritesTheSettings) {
  InputScript script;
  script.press(kDown).press(kChoose);                  // Options
  script.presses(kDown, 2).press(kChoose);             // the music off
  script.press(kDown).press(kChoose);                  // one-button jumps
  script.press(kDown).press(kChoose);                  // normal to hard
  script.press(kDown).press(kChoose);                  // the joystick on
  script.presses(kDown, 2).press(kChoose);             // show the frame rate
  script.press(kDown).press(kChoose).press(kEscape);   // round to "Back to Main Menu"
  const GameRun run = this->run(script);
  EXPECT_EQ(run.status, 0) << run.output;
  expectSettings(read("settings.ini"), settingsLines(0, 1, 3, 0, 1));
}

TEST_F(Menus, EscapeLeavesTheOptionsWithoutWritingButKeepsTheChangesForTheRun) {
  InputScript leave;
  leave.press(kDown).press(kChoose).presses(kDown, 2).press(kChoose).press(kEscape).press(kEscape);
  GameRun run = this->run(leave);
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_FALSE(exists("settings.ini"));

  // Escape returns to the first entry of the main menu; J switches the joystick on from
  // there, and the options' first entry writes what this run changed.
  InputScript again;
  again.press(kDown).press(kChoose).presses(kDown, 2).press(kChoose).press(kEscape);
  again.press(36).press(kDown).press(kChoose).press(kChoose).press(kEscape);
  run = this->run(again);
  EXPECT_EQ(run.status, 0) << run.output;
  expectSettings(read("settings.ini"), settingsLines(0, 0, 2, 0, 0));
}

TEST_F(Menus, JoystickButtonsAreDefinedByPressingThem) {
  InputScript script;
  script.press(kDown).press(kChoose).presses(kDown, 6).press(kChoose);
  script.joyPress(0, 5).joyPress(0, 6).joyPress(0, 7);
  script.presses(kUp, 6).press(kChoose).press(kEscape);
  const GameRun run = this->run(script);
  EXPECT_EQ(run.status, 0) << run.output;
  const std::string written = read("settings.ini");
  EXPECT_NE(written.find("JoyJumpLeft=325\r\nJoyHold=326\r\nJoyJumpRight=327\r\n"), std::string::npos) << written;
}

TEST_F(Menus, AnUnplayedPackOpensWithLevelOneAndTheListSaysSo) {
  testPacks();
  played(2);
  InputScript list;
  list.press(kChoose);
  GameRun run = this->run(list);
  EXPECT_EQ(run.status, 0) << run.output;
  // The pack list: Classic with its levels played, Other "Unplayed", each in its colour.
  const auto shot = picture();
  auto count = [&](std::uint32_t colour, int y0) {
    int n = 0;
    for (int y = y0; y < y0 + 14; ++y) {
      for (int x = 600; x < 800; ++x) n += testing::pixelAt(shot, x, y) == colour;
    }
    return n;
  };
  EXPECT_GT(count(rgb(180, 80, 50), 274), 20);
  EXPECT_EQ(count(rgb(80, 180, 50), 274), 0);
  EXPECT_GT(count(rgb(80, 180, 50), 306), 20);
  EXPECT_EQ(count(rgb(180, 80, 50), 306), 0);

  // Other, never played: only level 1 is open, whichever level is chosen.
  InputScript play;
  play.press(kChoose).press(kDown).press(kChoose).presses(kRight, 3).press(kChoose).wait(1500);
  play.press(kEscape).presses(kDown, 2).press(kChoose).wait(300);
  run = this->run(play);
  EXPECT_NE(run.output.find("Loading Pack : Other"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("Level 1 : result 99"), std::string::npos) << run.output;
}

TEST_F(Menus, ALockedLevelShowsRedWithTheTextsOfTheLastOpenOneAndStartsThatOne) {
  testPacks();
  played(2);
  // The grid of five levels: rows of three and two, frames at x 313, 373, 433 and 343, 403.
  auto grid = [&](int right) {
    InputScript script;
    script.press(kChoose).press(kChoose).presses(kRight, right);
    EXPECT_EQ(run(script).status, 0);
    return picture();
  };
  const auto one = grid(0), two = grid(1), four = grid(3);
  EXPECT_EQ(testing::pixelAt(two, 373, 298), rgb(180, 180, 255));
  EXPECT_EQ(testing::pixelAt(four, 343, 358), rgb(255, 50, 50));
  EXPECT_EQ(testing::pixelAt(four, 373, 298), rgb(50, 50, 180));
  auto texts = [](const std::vector<std::uint32_t>& shot) {
    std::vector<std::uint32_t> band;
    for (int y = 540; y < 600; ++y) {
      for (int x = 0; x < 800; ++x) band.push_back(testing::pixelAt(shot, x, y));
    }
    return band;
  };
  EXPECT_TRUE(texts(four) == texts(two));
  EXPECT_FALSE(texts(one) == texts(two));

  InputScript play;
  play.press(kChoose).press(kChoose).presses(kRight, 3).press(kChoose).wait(1500);
  play.press(kEscape).presses(kDown, 2).press(kChoose).wait(300);
  const GameRun run = this->run(play);
  EXPECT_NE(run.output.find("Level 2 : result 99"), std::string::npos) << run.output;
  EXPECT_EQ(run.output.find("Level 4 :"), std::string::npos) << run.output;
}

TEST_F(Menus, QuitToMainMenuFromAGameReturnsToTheLevelGridOfTheSamePack) {
  testPacks();
  InputScript script;
  script.press(kChoose).press(kDown).press(kChoose);   // Other
  for (int game = 0; game < 2; ++game) {
    // From the level grid: a game from level 1, quit from the in-game menu.
    script.press(kChoose).wait(1500).press(kEscape).presses(kDown, 2).press(kChoose).wait(300);
  }
  const GameRun run = this->run(script);
  EXPECT_EQ(run.status, 0) << run.output;
  std::size_t games = 0;
  for (std::size_t at = run.output.find("Level 1 : result 99"); at != std::string::npos;
       at = run.output.find("Level 1 : result 99", at + 1)) {
    ++games;
  }
  EXPECT_EQ(games, 2u) << run.output;
  EXPECT_EQ(read("Scores.dat"), testing::scoreRecord("Classic", 0, 0, 0) + testing::scoreRecord("Other", 0, 1, 77));
  // And the picture is the grid's: one level, highlighted.
  EXPECT_EQ(testing::pixelAt(picture(), 373, 298), rgb(180, 180, 255));
}

TEST_F(Menus, FinishingAPackEndsAtItsLevelGridWithTheBestScoreStored) {
  write("Tobrix Levels/Classic.pak", testing::packFile({tiny(1), tiny(2)}));
  InputScript script;
  script.press(kChoose).press(kChoose).press(kChoose).keyDown(kRight).wait(8000).keyUp(kRight).wait(500);
  const GameRun run = this->run(script);
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_NE(run.output.find("Level 2 : result 3"), std::string::npos) << run.output;
  const auto [best, levels] = testing::firstScore(dir_.file("Scores.dat"));
  EXPECT_GT(best, 900);
  EXPECT_EQ(levels, 2);
  // Two levels in a row of two: the first highlighted at x 348.
  EXPECT_EQ(testing::pixelAt(picture(), 348, 298), rgb(180, 180, 255));
}

TEST_F(Menus, CreditsScrollUntilAnActionButton) {
  InputScript script;
  script.presses(kDown, 2).press(kChoose).wait(2000);
  const GameRun run = this->run(script);
  EXPECT_EQ(run.status, 0) << run.output;
  const auto shot = picture();
  int scroller = 0, title = 0;
  for (int x = 0; x < 800; ++x) {
    for (int y = 40; y < 90; ++y) scroller += testing::pixelAt(shot, x, y) == rgb(255, 255, 0);
    for (int y = 60; y < 140; ++y) title += testing::pixelAt(shot, x, y) == rgb(255, 148, 0);
  }
  EXPECT_GT(scroller, 100);
  EXPECT_GT(title, 100);

  // X ends them on the main menu, its highlight still on "Credits": one down is the editor,
  // whose top bar is grey.
  InputScript leave;
  leave.presses(kDown, 2).press(kChoose).wait(1000).press(kChoose).press(kDown).press(kChoose).wait(300);
  EXPECT_EQ(this->run(leave).status, 0);
  EXPECT_EQ(testing::pixelAt(picture(), 400, 10), rgb(194, 194, 194));
}

TEST_F(Menus, FOnTheMainMenuStartsUpAgainInTheOtherDisplayMode) {
  InputScript script;
  script.press(33).wait(500).press(kDown).press(kChoose).press(kChoose).press(kEscape);
  const GameRun run = this->run(script);
  EXPECT_EQ(run.status, 0) << run.output;
  std::size_t starts = 0;
  for (std::size_t at = run.output.find("Total Loaded"); at != std::string::npos; at = run.output.find("Total Loaded", at + 1)) {
    ++starts;
  }
  EXPECT_EQ(starts, 2u) << run.output;
  // The mode is written only by the options' first entry.
  EXPECT_NE(read("settings.ini").find("Fullscreen=1\r\n"), std::string::npos);
}

}  // namespace
}  // namespace korvo
