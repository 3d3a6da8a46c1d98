// Replays: the input scripts of game/replays drive the game headless on the virtual clock
// through Classic levels to their exits; the level's score must be the one the script was
// made with, and the last frame must match the stored picture. KORVO_REGENERATE_REPLAYS=1
// writes the pictures anew (look at them before committing).
#include <FreeImage.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "game/game_files.h"
#include "startup/program_builder.h"

namespace korvo {
namespace {

namespace fs = std::filesystem;

const fs::path kReplays = fs::path(KORVO_SOURCE_DIR) / "game" / "replays";
const fs::path kGameFolder = fs::path(KORVO_BUILD_DIR) / "tobrix";

// Pixels of a picture file as 32-bit BGRA rows, with its size in front.
std::vector<std::uint32_t> pixels(const fs::path& file) {
  FIBITMAP* loaded = FreeImage_Load(FreeImage_GetFileType(file.c_str(), 0), file.c_str(), 0);
  if (!loaded) return {};
  FIBITMAP* image = FreeImage_ConvertTo32Bits(loaded);
  FreeImage_Unload(loaded);
  const unsigned width = FreeImage_GetWidth(image), height = FreeImage_GetHeight(image);
  std::vector<std::uint32_t> out{width, height};
  for (unsigned y = 0; y < height; ++y) {
    const auto* line = reinterpret_cast<const std::uint32_t*>(FreeImage_GetScanLine(image, static_cast<int>(y)));
    for (unsigned x = 0; x < width; ++x) out.push_back(line[x] | 0xff000000u);
  }
  FreeImage_Unload(image);
  return out;
}

void savePng(const fs::path& from, const fs::path& to) {
  FIBITMAP* image = FreeImage_Load(FIF_BMP, from.c_str(), 0);
  ASSERT_NE(image, nullptr);
  FIBITMAP* rgb = FreeImage_ConvertTo24Bits(image);
  EXPECT_TRUE(FreeImage_Save(FIF_PNG, rgb, to.c_str(), PNG_Z_BEST_COMPRESSION));
  FreeImage_Unload(rgb);
  FreeImage_Unload(image);
}

class Replay : public ::testing::TestWithParam<std::string> {};

TEST_P(Replay, ReachesTheExitWithItsScoreAndLastPicture) {
  if (!fs::exists(kGameFolder / "Tobrix Levels" / "Classic.pak")) GTEST_SKIP() << "no Classic.pak in " << kGameFolder;
  const std::string name = GetParam();
  const std::string script = testing::readText(kReplays / (name + ".txt"));
  // The first line: "# Classic level N from ...; score S".
  const std::size_t levelAt = script.find("Classic level "), scoreAt = script.find("; score ");
  ASSERT_TRUE(levelAt != std::string::npos && scoreAt != std::string::npos) << script.substr(0, 80);
  const std::string level = std::to_string(std::stoi(script.substr(levelAt + 14)));
  const std::string score = std::to_string(std::stoi(script.substr(scoreAt + 8)));

  testing::ScratchDir dir;
  // The game's data only: settings and scores left by someone playing would change the run.
  for (const char* part : {"Tobrix Levels", "system"}) {
    if (fs::exists(kGameFolder / part)) fs::copy(kGameFolder / part, fs::path(dir.path()) / part, fs::copy_options::recursive);
  }
  testing::writeText(dir.file("replay.txt"), script);
  const testing::GameRun run = testing::runGame(dir.path(), std::string(KORVO_BUILD_DIR) + "/game/tobrix.kvm",
                                                "-level " + level, false, "",
                                                "KORVO_INPUT=replay.txt KORVO_SNAPSHOT=last.bmp");
  ASSERT_EQ(run.status, 0) << run.output;
  const std::string scores = testing::readText(dir.file("Scores.dat"));
  ASSERT_GE(scores.size(), 13u) << run.output;
  std::int32_t best = 0;
  for (int b = 3; b >= 0; --b) best = best * 256 + static_cast<std::uint8_t>(scores[9 + b]);
  EXPECT_EQ(std::to_string(best), score)
      << "the replay went another way: after a change of the levels or of the game's timing, make the scripts "
         "again with tools/replay/make-replays.sh (and the pictures, below)";

  const fs::path stored = kReplays / (name + ".png");
  const char* regenerate = std::getenv("KORVO_REGENERATE_REPLAYS");
  if (regenerate && std::string(regenerate) == "1") savePng(dir.file("last.bmp"), stored);
  ASSERT_TRUE(fs::exists(stored)) << "no stored picture: run with KORVO_REGENERATE_REPLAYS=1";
  EXPECT_TRUE(pixels(dir.file("last.bmp")) == pixels(stored))
      << "the last frame differs from " << stored << " (after a change of the game's data, regenerate with "
      << "KORVO_REGENERATE_REPLAYS=1 and look at the pictures)";
}

INSTANTIATE_TEST_SUITE_P(Classic, Replay,
                         ::testing::Values("level01", "level02", "level03", "level04", "level05", "level06", "level07",
                                           "level08", "level09", "level10", "level11", "level12", "level13", "level14",
                                           "level15", "level16", "level17", "level18", "level19", "level20"));

}  // namespace
}  // namespace korvo
