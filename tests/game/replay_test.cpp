// Replays: the input scripts of game/replays drive the real game headless on the virtual
// clock from its title screen, through Start Game, the Classic pack and the level grid, to
// the exit of a level (levelNN: Scores.dat opens levels 1 to NN; after the exit the next level
// is quit from the in-game menu) or through all 20 levels in one game (pack). Each level's
// result is read from the game's log, the best score and levels played from Scores.dat; they
// must be what the script was made with. The last picture (the level grid) must match the
// stored one; KORVO_REGENERATE_REPLAYS=1 writes the pictures anew (look at them before
// committing).
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "game/game_files.h"
#include "startup/program_builder.h"

namespace korvo {
namespace {

namespace fs = std::filesystem;

const fs::path kReplays = fs::path(KORVO_SOURCE_DIR) / "game" / "replays";
const std::string kRemake =
    "the replay went another way: after a change of the levels or of the game's timing, make the scripts again "
    "with tools/replay/make-replays.sh (and the pictures, below)";

int numberAfter(const std::string& text, const std::string& label) {
  const std::size_t at = text.find(label);
  return at == std::string::npos ? -1 : std::stoi(text.substr(at + label.size()));
}

// The level results the game logged, as "level:result" in order.
std::vector<std::string> results(const std::string& output) {
  std::vector<std::string> out;
  for (std::size_t at = output.find("Level "); at != std::string::npos; at = output.find("Level ", at + 1)) {
    const std::size_t colon = output.find(" : result ", at);
    if (colon == std::string::npos || colon > at + 9) continue;
    out.push_back(output.substr(at + 6, colon - at - 6) + ":" + std::to_string(std::stoi(output.substr(colon + 10))));
  }
  return out;
}

class Replay : public ::testing::TestWithParam<std::string> {};

TEST_P(Replay, PlaysFromTheTitleThroughTheMenusToTheExit) {
  if (!fs::exists(fs::path(KORVO_BUILD_DIR) / "tobrix" / "Tobrix Levels" / "Classic.pak")) GTEST_SKIP() << "no Classic.pak";
  const std::string name = GetParam();
  const std::string script = testing::readText(kReplays / (name + ".txt"));
  const std::string header = script.substr(0, script.find('\n'));
  const int level = numberAfter(header, "Classic level ");
  const int score = numberAfter(header, "; score "), played = numberAfter(header, "levels played ");
  ASSERT_TRUE(score >= 0 && played >= 0) << header;

  testing::ScratchDir dir;
  testing::copyGameData(dir.path());
  if (level > 0) {
    testing::writeText(dir.file("Scores.dat"), testing::scoreRecord("Classic", 0, level, level * 77));
  }
  testing::writeText(dir.file("replay.txt"), script);
  const testing::GameRun run = testing::runGame(dir.path(), std::string(KORVO_BUILD_DIR) + "/game/tobrix.kvm", "", true,
                                                "", "KORVO_INPUT=replay.txt KORVO_SNAPSHOT=last.bmp");
  ASSERT_EQ(run.status, 0) << run.output;

  std::vector<std::string> expected;
  if (level > 0) {
    expected = {std::to_string(level) + ":3"};
    if (level < 20) expected.push_back(std::to_string(level + 1) + ":99");
  } else {
    for (int l = 1; l <= 20; ++l) expected.push_back(std::to_string(l) + ":3");
  }
  EXPECT_EQ(results(run.output), expected) << kRemake << "\n" << run.output;
  const auto [best, stored] = testing::firstScore(dir.file("Scores.dat"));
  EXPECT_EQ(best, score) << kRemake;
  EXPECT_EQ(stored, played) << kRemake;

  const std::string picture = (kReplays / (name + ".png")).string();
  const char* regenerate = std::getenv("KORVO_REGENERATE_REPLAYS");
  if (regenerate && std::string(regenerate) == "1") {
    EXPECT_TRUE(testing::savePng(dir.file("last.bmp"), picture));
  }
  ASSERT_TRUE(fs::exists(picture)) << "no stored picture: run with KORVO_REGENERATE_REPLAYS=1";
  EXPECT_TRUE(testing::pixels(dir.file("last.bmp")) == testing::pixels(picture))
      << "the last frame differs from " << picture << " (after a change of the game's data, regenerate with "
      << "KORVO_REGENERATE_REPLAYS=1 and look at the pictures)";
}

INSTANTIATE_TEST_SUITE_P(Classic, Replay,
                         ::testing::Values("level01", "level02", "level03", "level04", "level05", "level06", "level07",
                                           "level08", "level09", "level10", "level11", "level12", "level13", "level14",
                                           "level15", "level16", "level17", "level18", "level19", "level20", "pack"));

}  // namespace
}  // namespace korvo
