// Tobrix's settings, files and rules of play, through a module built from the game's own
// routines (game_checks), run headless by korvo-run in a scratch folder.
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "game/game_files.h"
#include "startup/program_builder.h"

namespace korvo {
namespace {

using testing::GameRun;
using testing::LevelText;

class Game : public ::testing::Test {
 protected:
  GameRun checks(const std::string& arguments, const std::string& input = "") {
    return testing::runGame(dir_.path(), KORVO_GAME_CHECKS, arguments, true, input);
  }
  void write(const std::string& name, const std::string& text) { testing::writeText(dir_.file(name), text); }
  std::string read(const std::string& name) { return testing::readText(dir_.file(name)); }
  void levelFolder() { testing::runCommand("mkdir -p '" + dir_.file("Tobrix Levels") + "'"); }
  testing::ScratchDir dir_;
};

std::int32_t check(std::int32_t best, std::int32_t played) { return (best * 3 + played * 7) * 11; }

const LevelText kSmall = {"First", "Second", {"2222222", "2s000x2", "2222222"}};

TEST_F(Game, SettingsKeysAreUpperCasedAndValuesCutToTenCharacters) {
  write("settings.ini",
        "   Tobrix Settings\r\n\r\nfullscreen=1\r\nMUSIC =0\r\nDifficulty=3\r\nEnableJoyPorts=12345678901234\r\n"
        "JoyHold=7x\r\nJOYJUMPLEFT=\r\nShowFramerate=1\r\n  Spikes are mean\r\n");
  const GameRun run = checks("settings");
  EXPECT_EQ(run.value("fullscreen"), "1") << run.output;
  EXPECT_EQ(run.value("music"), "1");  // the space before "=" makes the key unknown
  EXPECT_EQ(run.value("difficulty"), "3");
  EXPECT_EQ(run.value("ports"), "1234567890");
  EXPECT_EQ(run.value("joyhold"), "7");
  EXPECT_EQ(run.value("joyjumpleft"), "0");
  EXPECT_EQ(run.value("showframerate"), "1");
}

TEST_F(Game, MissingSettingsKeepTheDefaultsAndWrittenSettingsReadBack) {
  GameRun run = checks("settings write");
  EXPECT_EQ(run.value("fullscreen"), "2") << run.output;
  EXPECT_EQ(run.value("ports"), "-1");
  EXPECT_EQ(run.value("joyhold"), "321");
  EXPECT_EQ(read("settings.ini"),
            "   Tobrix Settings\r\n\r\nFullscreen=2\r\nMusic=1\r\nOneButtonJump=0\r\nDifficulty=2\r\n\r\n"
            "   Controls\r\n\r\nEnableJoyPorts=-1\r\nJoyJumpLeft=323\r\nJoyHold=321\r\nJoyJumpRight=322\r\n\r\n"
            "  Wonder what else works?\r\n\r\nShowFramerate=0\r\n\r\n  Spikes are mean\r\n");
  write("settings.ini", "Fullscreen=1\r\nJoyHold=9\r\n");
  run = checks("settings");
  EXPECT_EQ(run.value("fullscreen"), "1");
  EXPECT_EQ(run.value("joyhold"), "9");
}

TEST_F(Game, RunLengthCode) {
  const GameRun run = checks("runlength");
  EXPECT_EQ(run.value("run53"), "zaAa") << run.output;
  EXPECT_EQ(run.value("aaab"), "CaAb");
  EXPECT_EQ(run.value("eleven"), "AaAbAcAdAeAfAgAhAiAj Ak");
  EXPECT_EQ(run.value("ten"), "AaAbAcAdAeAfAgAhAiAj");  // never a space at the end
  EXPECT_EQ(run.value("back"), "aaab");
  EXPECT_EQ(run.value("lone"), "aaa");
  EXPECT_EQ(run.value("roundtrip"), "1");
  EXPECT_NE(run.value("spaces"), "0");
  EXPECT_EQ(testing::runLength(std::string(53, 'a')), "zaAa");
}

TEST_F(Game, DecodingBuildsRopesPipesWallsAndObjects) {
  const GameRun run = checks("decode");
  EXPECT_EQ(run.value("start"), "6,5") << run.output;
  EXPECT_EQ(run.value("wall"), "2,53,53");  // walls under the frame or another wall are plain
  EXPECT_EQ(run.value("rope"), "7,6,6");
  EXPECT_EQ(run.value("pipe"), "26,51,52,52,26");
  EXPECT_EQ(run.value("block"), "5,0");  // a pushable block leaves nothing behind
  EXPECT_EQ(run.value("water"), "1001");
  EXPECT_EQ(run.value("objects"), "2");  // a ring and a sphere
  EXPECT_EQ(run.value("frame"), "2,2");
  EXPECT_EQ(run.value("editor"), "53,54,56,6,26");
  EXPECT_EQ(run.value("editorobjects"), "0");
}

TEST_F(Game, PacksReadValidLevelsAndTheirCount) {
  levelFolder();
  LevelText longer = kSmall;
  std::string cells = testing::levelCells(kSmall) + std::string(300, '2');
  write("Tobrix Levels/Classic.pak",
        testing::levelBlock("One", "", testing::runLength(cells), std::to_string(testing::runLength(cells).size())) +
            testing::packFile({kSmall, kSmall, kSmall}).substr(testing::packFile({kSmall}).find("End of") + 33));
  const GameRun run = checks("pack Classic");
  EXPECT_EQ(run.value("packlevels"), "3") << run.output;
  EXPECT_EQ(run.value("valid", 0), "1");  // longer than 2500 cells is still valid
  EXPECT_EQ(run.value("row1", 0), "50");
  EXPECT_EQ(run.value("text"), "First");
  EXPECT_EQ(run.value("row0"), std::string(80, '0'));
  EXPECT_EQ(run.output.find("File Error"), std::string::npos);
}

TEST_F(Game, APackWhoseFirstLevelIsEmptyHasNoPlayableLevel) {
  levelFolder();
  write("Tobrix Levels/Classic.pak", testing::packFile({LevelText{"", "", {"2222", "2002"}}, kSmall, kSmall}));
  const GameRun run = checks("pack Classic");
  EXPECT_EQ(run.value("packlevels"), "0") << run.output;
  EXPECT_EQ(run.value("valid", 0), "0");
  EXPECT_EQ(run.value("row1", 0), "50");
  EXPECT_EQ(run.value("valid", 1), "1");
  EXPECT_EQ(run.value("row5"), std::string(50, '0'));
}

TEST_F(Game, AMissingPackIsWrittenBackAsEmptyLevels) {
  levelFolder();
  GameRun run = checks("pack Missing");
  EXPECT_EQ(run.value("packlevels"), "0") << run.output;
  EXPECT_EQ(run.value("row1", 0), "80");
  const std::string written = read("Tobrix Levels/My Levels.pak");
  const std::string zeros = testing::runLength(std::string(4000, '0'));
  EXPECT_EQ(written, testing::packFile({}));
  EXPECT_NE(written.find("\r\n" + std::to_string(zeros.size()) + "\r\n" + zeros + "\r\n"), std::string::npos);
  run = checks("pack My Levels");
  EXPECT_EQ(run.value("packlevels"), "0");
  EXPECT_EQ(run.value("valid", 0), "0");
}

TEST_F(Game, HostilePacksLoadAsInvalidLevelsAndNeverHang) {
  levelFolder();
  const std::string good = testing::runLength(testing::levelCells(kSmall));
  const std::string block = testing::levelBlock("t", "u", good, std::to_string(good.size()));
  struct Case {
    const char* what;
    std::string text;
    const char* levels;
  } cases[] = {
      {"empty file", "", "0"},
      // The reader takes every line to the end of the file as data: its own trailer too.
      {"huge length field", testing::levelBlock("t", "u", good, "2000000000"), "1"},
      {"data line longer than the length", testing::levelBlock("t", "u", good + good, "10") + block, "2"},
      {"100 level blocks", [&] { std::string s; for (int i = 0; i < 100; ++i) s += block; return s; }(), "20"},
      {"cut in the middle", (block + block).substr(0, block.size() + 40), "1"},
      {"control bytes", block + std::string("\x01\x02\xff\r\n\r\n\xfe", 8), "1"},
  };
  for (const Case& c : cases) {
    write("Tobrix Levels/Bad.pak", c.text);
    const GameRun run = checks("pack Bad");
    EXPECT_EQ(run.status, 0) << c.what;
    EXPECT_EQ(run.value("packlevels"), c.levels) << c.what << "\n" << run.output;
  }
  write("Tobrix Levels/Bad.pak", testing::packFile({kSmall}).replace(testing::packFile({kSmall}).find("End of"), 3, "Ned"));
  EXPECT_NE(checks("pack Bad").output.find("File Error"), std::string::npos);
}

TEST_F(Game, ScoreTableTakesRecordsWithTheirCheckValueAndPutsClassicFirst) {
  levelFolder();
  for (const char* pack : {"Alpha.pak", "Classic.pak", "Zeta.PAK", "notes.txt"}) write(std::string("Tobrix Levels/") + pack, "");
  write("Scores.dat", testing::scoreRecord("alpha", 500, 3, check(500, 3)) +
                          testing::scoreRecord("Zeta", 900, 2, check(900, 2) + 1) +
                          testing::scoreRecord("CLASSIC", 1234, 7, check(1234, 7)) + "Truncated\r\n\x05");
  const GameRun run = checks("scores");
  ASSERT_EQ(run.values.count("pack"), 1u) << run.output;
  const std::vector<std::string>& packs = run.values.at("pack");
  ASSERT_EQ(packs.size(), 3u);
  EXPECT_EQ(packs[0], "Classic:1234:7");
  EXPECT_EQ(packs[1] + packs[2], "Alpha:500:3Zeta:0:0");
  EXPECT_EQ(read("Scores.dat"), testing::scoreRecord("Classic", 1234, 7, check(1234, 7)) +
                                    testing::scoreRecord("Alpha", 500, 3, check(500, 3)) +
                                    testing::scoreRecord("Zeta", 0, 0, 0));
}

TEST_F(Game, RulesOfPlayByStyle) {
  const GameRun run = checks("rules", "50 key down 205\n50 key down 44\n");
  EXPECT_EQ(run.value("spikes1"), "0") << run.output;  // harmless to the jumper
  EXPECT_EQ(run.value("spikes0"), "2");
  EXPECT_EQ(run.value("dart", 0), "2");
  EXPECT_EQ(run.value("dart", 1), "0");
  EXPECT_EQ(run.value("dart", 2), "2");
  EXPECT_EQ(run.value("collected", 0), "50");  // the sphere
  EXPECT_EQ(run.value("collected", 1), "0");
  EXPECT_EQ(run.value("collected", 2), "50");  // the ring
  EXPECT_EQ(run.value("poptick", 0), "300");
  EXPECT_EQ(run.value("sealed", 0), "100");
  EXPECT_EQ(run.value("poptick", 1), "210");
  EXPECT_EQ(run.value("sealed", 1), "10");
  EXPECT_EQ(run.value("duringchange"), "0");
  EXPECT_EQ(run.value("afterchange"), "1");
  EXPECT_EQ(run.value("turn"), "7,1");
  EXPECT_EQ(run.value("turned"), "12,1");
  EXPECT_EQ(run.value("balloon", 0), "11,1");
  EXPECT_EQ(run.value("balloon", 1), "0,0");
}

TEST_F(Game, ADeathCostsTwentyFourPointsAndNeverGoesBelowZero) {
  levelFolder();
  write("Tobrix Levels/Classic.pak", testing::packFile({{"Spikes", "", {"2222222", "2s0k0x2", "2222222"}}}));
  for (const auto& [start, left] : {std::pair{"100", "76"}, {"10", "0"}}) {
    const GameRun run = checks(std::string("play ") + start, "1000 key down 205\n");
    EXPECT_EQ(run.value("result"), "2") << run.output;
    EXPECT_EQ(run.value("score"), left);
  }
}

TEST_F(Game, RestartingFromTheInGameMenuCostsTwentyFourPoints) {
  levelFolder();
  write("Tobrix Levels/Classic.pak", testing::packFile({kSmall}));
  const GameRun run = checks("play 100", "1000 key down 1\n+100 key up 1\n+200 key down 208\n+100 key up 208\n"
                                         "+200 key down 45\n+100 key up 45\n");
  EXPECT_EQ(run.value("result"), "2") << run.output;
  EXPECT_EQ(run.value("score"), "76");
}

TEST_F(Game, TheTimeBonusStopsFallingAtTen) {
  levelFolder();
  write("Tobrix Levels/Classic.pak", testing::packFile({kSmall}));
  GameRun run = checks("play 0", "1000 key down 205\n");
  EXPECT_EQ(run.value("result"), "3") << run.output;
  const int quick = std::stoi(run.value("score"));
  EXPECT_GT(quick, 450);
  run = checks("play 0", "120000 key down 205\n");
  EXPECT_EQ(run.value("score"), "10") << run.output;
  EXPECT_EQ(run.value("Active strings :"), run.value("Active strings :", 1));
}

// Random levels of every block, played with random keys: whatever happens, the game keeps
// to its arrays and ends the level or the run cleanly.
TEST_F(Game, RandomLevelsAndKeysNeverLeaveTheMap) {
  levelFolder();
  const std::string blocks = std::string(60, '0') + "11122222333?bbkg...AaDdCceefFwwwwwwxhHpPr#";
  const int keys[] = {200, 208, 203, 205, 45, 44, 46};
  for (unsigned seed = 1; seed <= 12; ++seed) {
    std::mt19937 random(seed);
    LevelText level{"Random", std::to_string(seed), {}};
    for (int y = 0; y < 50; ++y) {
      std::string row;
      for (int x = 0; x < 50; ++x) row += blocks[random() % blocks.size()];
      level.rows.push_back(row);
    }
    level.rows[random() % 50][random() % 50] = 's';
    write("Tobrix Levels/Classic.pak", testing::packFile({level}));
    std::string script;
    for (int t = 100; t < 20000; t += 50 + static_cast<int>(random() % 400)) {
      script += std::to_string(t) + " key " + (random() % 2 ? "down " : "up ") + std::to_string(keys[random() % 7]) + "\n";
    }
    script += "20000 quit\n";
    const GameRun run = checks("soak", script);
    EXPECT_EQ(run.output.find("Error"), std::string::npos) << "seed " << seed << "\n" << run.output;
    EXPECT_EQ(run.value("run"), "1") << "seed " << seed << "\n" << run.output;
  }
}

}  // namespace
}  // namespace korvo
