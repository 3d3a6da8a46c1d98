#include "level_files.h"

#include <stdexcept>

#include "data_files.h"
#include "level_check.h"
#include "level_pack.h"

namespace tobrix::gamedata {
namespace {

LevelText loadLevel(const std::filesystem::path& path) {
  std::vector<std::string> problems;
  LevelText level = parseLevel(readText(path), problems);
  for (const std::string& p : checkLevel(level)) problems.push_back(p);
  if (!problems.empty()) throw std::runtime_error(path.string() + ": " + problems.front());
  return level;
}

}  // namespace

void makeLevelFiles(const std::filesystem::path& dataDir, const std::filesystem::path& outDir) {
  std::vector<LevelText> classic;
  for (const auto& path : filesIn(dataDir / "levels" / "classic", ".lev")) classic.push_back(loadLevel(path));
  if (classic.size() > kPackLevels) throw std::runtime_error("the Classic pack has more than 20 levels");
  writeFile(outDir / "Tobrix Levels" / "Classic.pak", writePack(classic));

  // The test map is its 50 rows alone.
  const LevelText test = loadLevel(dataDir / "levels" / "test.lev");
  std::string rows;
  for (const std::string& row : test.rows) rows += row + "\r\n";
  writeFile(outDir / "Tobrix Levels" / "test.lev", rows);
}

}  // namespace tobrix::gamedata
