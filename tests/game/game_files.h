// Game files for tests: level packs in the game's text format (written independently of the
// game's own writer), score files, and running a game module in a folder.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace korvo::testing {

// The run-length code of the level files.
std::string runLength(const std::string& cells);

// A level: two text lines and up to 50 rows (shorter rows and missing rows are "0").
struct LevelText {
  std::string text1, text2;
  std::vector<std::string> rows;
};
std::string levelCells(const LevelText& level);
// One level block of a pack file, with the given compressed data and its length field.
std::string levelBlock(const std::string& text1, const std::string& text2, const std::string& data,
                       const std::string& length);
// A pack of 20 blocks; levels beyond those given are empty (4000 zeros).
std::string packFile(const std::vector<LevelText>& levels);

std::string scoreRecord(const std::string& name, std::int32_t best, std::int32_t played, std::int32_t check);

// What a run of a module printed, and its "name=value" log lines by name, in order.
struct GameRun {
  int status;
  std::string output;
  std::map<std::string, std::vector<std::string>> values;
  const std::string& value(const std::string& name, std::size_t i = 0) const;
};
// Runs `korvo-run [--debug] MODULE ARGS` headless in folder, with an input script if given.
GameRun runGame(const std::string& folder, const std::string& module, const std::string& arguments, bool debug,
                const std::string& inputScript = "", const std::string& environment = "");

void writeText(const std::string& path, const std::string& text);
std::string readText(const std::string& path);

// The game's own data (levels, pictures, sounds, font) copied from the build into folder,
// without the settings and scores someone playing may have left there.
void copyGameData(const std::string& folder);
// The best score and levels played of the first record of a Scores.dat; -1 when missing.
std::pair<std::int32_t, std::int32_t> firstScore(const std::string& scoresFile);

// A picture file's pixels as 0xAARRGGBB rows (alpha always 255), its width and height first.
std::vector<std::uint32_t> pixels(const std::string& file);
std::uint32_t pixelAt(const std::vector<std::uint32_t>& picture, int x, int y);
// A BMP snapshot saved as PNG.
bool savePng(const std::string& from, const std::string& to);

}  // namespace korvo::testing
