// A Tobrix level as kept in the repo: two text lines, then 50 rows of 50 map characters.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace tobrix::gamedata {

inline constexpr int kMapSize = 50;

struct LevelText {
  std::string line1;
  std::string line2;
  std::array<std::string, kMapSize> rows;
  // The map character at column x, row y (both 1..50), as the game addresses cells.
  char at(int x, int y) const { return rows[static_cast<std::size_t>(y - 1)][static_cast<std::size_t>(x - 1)]; }
  // The 2500 map characters, rows joined in order.
  std::string joined() const;
};

// Parses a level file. Problems (wrong row count or width) are appended to errors; the
// level is still filled as far as it could be read.
LevelText parseLevel(std::string_view text, std::vector<std::string>& errors);

// The characters the block table gives a meaning to.
bool isMapChar(char c);

}  // namespace tobrix::gamedata
