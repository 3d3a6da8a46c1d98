// A level folder full of junk: a directory named like a pack, an empty pack, a pack of 100 MB
// with a huge text line and a data length it never reaches, names with spaces and bytes that
// are not ASCII, a name with a line break in it, and a thousand packs. The real game lists
// them, opens each junk pack and a game from the last pack, and starts again with the score
// table it wrote.
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

constexpr int kUp = 200, kDown = 208, kChoose = 45, kEscape = 1;

const testing::LevelText kWalk = {"Walk", "right", {"2222222", "2s000x2", "2222222"}};

// A valid level, then a level whose first text line is 10 MB long and whose 50 MB of data
// lines are junk, then one whose length field asks for more than the file holds.
std::string hugePack() {
  std::string text = testing::packFile({kWalk});
  text.resize(text.find("End of Tobrix Level Data - v0.1\r\n") + 33);
  const std::string junk = "zz zz #\x01 AAAA\r\n";
  text += "Tobrix Level Data - v0.1\r\n" + std::string(10 << 20, 'x') + "\r\nt\r\n50000000\r\n";
  while (text.size() < (70u << 20)) text += junk;
  text += "Tobrix Level Data - v0.1\r\nu\r\nv\r\n2000000000\r\n";
  while (text.size() < (100u << 20)) text += junk;
  return text;
}

int count(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(PackFolder, FullOfJunkNeitherCrashesNorHangsThePackList) {
  testing::ScratchDir dir;
  testing::copyGameData(dir.path());
  const std::string levels = dir.file("Tobrix Levels") + "/";
  testing::writeText(levels + "0 empty.pak", "");
  testing::writeText(levels + "1 huge.pak", hugePack());
  testing::runCommand("mkdir '" + levels + "2 dir.pak'");
  testing::writeText(levels + "3 caf\xe9 \xff.pak", testing::packFile({kWalk}));
  testing::writeText(levels + "4  two  spaces .pak", testing::packFile({kWalk}));
  testing::writeText(levels + "5 new\nline.pak", testing::packFile({kWalk}));
  const std::string small = testing::packFile({kWalk});
  for (int i = 1; i <= 1000; ++i) {
    std::string name = "000" + std::to_string(i);
    testing::writeText(levels + "pack " + name.substr(name.size() - 4) + ".pak", small);
  }

  // The list is Classic, the five junk packs in order of their names (the one whose name
  // breaks a line is left out), then the thousand.
  InputScript script;
  script.press(kChoose);
  for (int junk = 0; junk < 5; ++junk) script.press(kDown).press(kChoose).wait(300).press(kEscape).wait(300);
  // Out and in again, and up from the first entry round to the last.
  script.press(kEscape).press(kChoose).press(kUp).press(kChoose).press(kChoose).wait(1500);
  script.press(kEscape).presses(kDown, 2).press(kChoose).wait(300);
  script.presses(kEscape, 3).wait(500).quit();
  GameRun run = testing::runGame(dir.path(), std::string(KORVO_BUILD_DIR) + "/game/tobrix.kvm", "", true, script.text());
  ASSERT_EQ(run.status, 0) << run.output.substr(0, 2000);
  for (const char* pack : {"0 empty", "1 huge", "2 dir", "3 caf\xe9 \xff", "4  two  spaces ", "pack 1000"}) {
    EXPECT_NE(run.output.find(std::string("Loading Pack : ") + pack + "\n"), std::string::npos) << pack;
  }
  EXPECT_EQ(run.output.find("new\nline"), std::string::npos);
  EXPECT_NE(run.output.find("Level 1 : result 99"), std::string::npos) << run.output.substr(0, 2000);
  const std::string scores = testing::readText(dir.file("Scores.dat"));
  EXPECT_EQ(count(scores, "\r\n"), 1006);
  EXPECT_NE(scores.find(testing::scoreRecord("pack 1000", 0, 1, 77)), std::string::npos);

  // Started again, the game reads the thousand records back: the last pack's game shows.
  InputScript again;
  again.press(kChoose).press(kUp).press(kChoose).wait(300).presses(kEscape, 3).wait(500).quit();
  run = testing::runGame(dir.path(), std::string(KORVO_BUILD_DIR) + "/game/tobrix.kvm", "", true, again.text());
  EXPECT_EQ(run.status, 0) << run.output.substr(0, 2000);
  EXPECT_NE(run.output.find("Loading Pack : pack 1000\n"), std::string::npos);
  EXPECT_EQ(testing::readText(dir.file("Scores.dat")), scores);
}

}  // namespace
}  // namespace korvo
