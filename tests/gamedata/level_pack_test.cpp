// The run-length code and pack file against the game's reading rules, the level checker on
// broken levels, and the Classic pack and test map the build made.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "level_check.h"
#include "level_pack.h"

namespace tobrix::gamedata {
namespace {

namespace fs = std::filesystem;

std::string readAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<fs::path> classicSources() {
  std::vector<fs::path> files;
  for (const auto& e : fs::directory_iterator(fs::path(TOBRIX_DATA_DIR) / "levels" / "classic")) files.push_back(e.path());
  std::sort(files.begin(), files.end());
  return files;
}

// A small valid level: a walled room with a start and an exit on its floor.
LevelText room() {
  LevelText level;
  level.line1 = "Room";
  level.line2 = "for tests";
  for (int y = 0; y < kMapSize; ++y) level.rows[static_cast<std::size_t>(y)] = std::string(kMapSize, '2');
  level.rows[9] = "2" + std::string(48, '0') + "2";
  level.rows[9][2] = 's';
  level.rows[9][40] = 'x';
  return level;
}

TEST(RunLengthCode, MatchesTheGamesExamples) {
  EXPECT_EQ(compressLevel("aaab"), "CaAb");
  EXPECT_EQ(compressLevel(std::string(53, '0')), "z0A0");
  EXPECT_EQ(compressLevel(std::string(52, '2')), "z2");
  EXPECT_EQ(compressLevel("x"), "Ax");
}

TEST(RunLengthCode, PutsASpaceAfterEveryTenthPairButTheLastRun) {
  std::string ten;
  for (int i = 0; i < 10; ++i) ten += static_cast<char>('a' + i);
  EXPECT_EQ(compressLevel(ten), "AaAbAcAdAeAfAgAhAiAj");
  EXPECT_EQ(compressLevel(ten + "k"), "AaAbAcAdAeAfAgAhAiAj Ak");
  const std::string code = compressLevel(std::string(2500, '0'));
  EXPECT_NE(code.back(), ' ');
}

TEST(RunLengthCode, ReadsBackEveryLevelAndSkipsStrayCharacters) {
  for (const fs::path& path : classicSources()) {
    std::vector<std::string> errors;
    const std::string cells = parseLevel(readAll(path), errors).joined();
    EXPECT_EQ(decompressLevel(compressLevel(cells)), cells) << path;
  }
  EXPECT_EQ(decompressLevel("Ca Ab\t"), "aaab");
  // A lone character in the last position is never read.
  EXPECT_EQ(decompressLevel("CaB"), "aaa");
}

TEST(LevelChecker, AcceptsAPlainRoom) { EXPECT_TRUE(checkLevel(room()).empty()); }

TEST(LevelChecker, ReportsWhatMakesALevelImpossible) {
  auto expectProblem = [](const LevelText& level, const std::string& words) {
    const std::vector<std::string> problems = checkLevel(level);
    bool found = false;
    for (const std::string& p : problems) found = found || p.find(words) != std::string::npos;
    EXPECT_TRUE(found) << "expected a problem with \"" << words << "\"";
  };
  LevelText noStart = room();
  noStart.rows[9][2] = '0';
  expectProblem(noStart, "no start");
  LevelText twoStarts = room();
  twoStarts.rows[9][5] = 's';
  expectProblem(twoStarts, "2 starts");
  LevelText noExit = room();
  noExit.rows[9][40] = '0';
  expectProblem(noExit, "no exit");
  LevelText walledIn = room();
  walledIn.rows[9][3] = '2';
  expectProblem(walledIn, "walled in");
  LevelText stray = room();
  stray.rows[9][10] = 'Q';
  expectProblem(stray, "'Q'");
  LevelText widePipe = room();
  widePipe.rows[9].replace(20, 3, "ppp");
  expectProblem(widePipe, "3 wide");
}

TEST(LevelChecker, ReportsRowsOfTheWrongLength) {
  std::vector<std::string> errors;
  parseLevel("a\nb\n0000\n", errors);
  EXPECT_FALSE(errors.empty());
}

TEST(ClassicPack, ReadsBackToTheLevelTextAndEveryLevelIsValid) {
  const std::vector<PackSlot> slots = readPack(readAll(fs::path(TOBRIX_OUT_DIR) / "Tobrix Levels" / "Classic.pak"));
  ASSERT_EQ(slots.size(), static_cast<std::size_t>(kPackLevels));
  const std::vector<fs::path> sources = classicSources();
  ASSERT_GE(sources.size(), 3u);
  for (std::size_t i = 0; i < slots.size(); ++i) {
    EXPECT_TRUE(slots[i].trailerOk) << "level " << i + 1;
    if (i >= sources.size()) {
      EXPECT_FALSE(slots[i].valid);
      continue;
    }
    std::vector<std::string> errors;
    const LevelText level = parseLevel(readAll(sources[i]), errors);
    EXPECT_TRUE(errors.empty()) << sources[i];
    EXPECT_TRUE(checkLevel(level).empty()) << sources[i] << ": " << checkLevel(level).front();
    ASSERT_TRUE(slots[i].valid) << "level " << i + 1;
    EXPECT_EQ(slots[i].line1, level.line1);
    EXPECT_EQ(slots[i].line2, level.line2);
    EXPECT_EQ(slots[i].cells, level.joined());
  }
}

TEST(ClassicPack, TestMapIsFiftyRowsOfAValidLevel) {
  const std::string text = readAll(fs::path(TOBRIX_OUT_DIR) / "Tobrix Levels" / "test.lev");
  std::vector<std::string> errors;
  const LevelText level = parseLevel("test\nmap\n" + text, errors);
  EXPECT_TRUE(errors.empty());
  EXPECT_TRUE(checkLevel(level).empty());
}

}  // namespace
}  // namespace tobrix::gamedata
