#include "level_check.h"

#include <deque>

namespace tobrix::gamedata {
namespace {

constexpr std::size_t kLongestTextLine = 80;  // what the editor lets one type

std::string cellName(int x, int y) { return "(" + std::to_string(x) + ", " + std::to_string(y) + ")"; }

// Cells the player can be in at some time: everything but plain wall, which is solid in
// every movement style and never moves.
bool everOpen(char c) { return c != '2'; }

bool reachable(const LevelText& level, int fromX, int fromY, int toX, int toY) {
  std::vector<bool> seen(kMapSize * kMapSize, false);
  std::deque<std::pair<int, int>> queue{{fromX, fromY}};
  seen[static_cast<std::size_t>((fromY - 1) * kMapSize + fromX - 1)] = true;
  while (!queue.empty()) {
    const auto [x, y] = queue.front();
    queue.pop_front();
    if (x == toX && y == toY) return true;
    static constexpr int kSteps[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
    for (const auto& step : kSteps) {
      const int nx = x + step[0], ny = y + step[1];
      if (nx < 1 || ny < 1 || nx > kMapSize || ny > kMapSize) continue;
      const std::size_t at = static_cast<std::size_t>((ny - 1) * kMapSize + nx - 1);
      if (seen[at] || !everOpen(level.at(nx, ny))) continue;
      seen[at] = true;
      queue.emplace_back(nx, ny);
    }
  }
  return false;
}

void checkPipes(const LevelText& level, std::vector<std::string>& problems) {
  for (int y = 1; y <= kMapSize; ++y) {
    for (int x = 1; x <= kMapSize; ++x) {
      if (level.at(x, y) != 'p' || (x > 1 && level.at(x - 1, y) == 'p')) continue;
      int run = 1;
      while (x + run <= kMapSize && level.at(x + run, y) == 'p') ++run;
      if (run != 2) problems.push_back("pipe at " + cellName(x, y) + " is " + std::to_string(run) + " wide, not 2");
    }
  }
}

}  // namespace

std::vector<std::string> checkLevel(const LevelText& level) {
  std::vector<std::string> problems;
  std::vector<std::pair<int, int>> starts, exits;
  for (int y = 1; y <= kMapSize; ++y) {
    for (int x = 1; x <= kMapSize; ++x) {
      const char c = level.at(x, y);
      if (!isMapChar(c)) {
        problems.push_back("character '" + std::string(1, c) + "' at " + cellName(x, y) + " is no block");
      }
      if (c == 's') starts.emplace_back(x, y);
      if (c == 'x') exits.emplace_back(x, y);
      if (c == 'e' && y > 1 && level.at(x, y - 1) == '2') {
        problems.push_back("balloon block at " + cellName(x, y) + " has a wall where its balloon goes");
      }
    }
  }
  if (starts.empty()) problems.push_back("no start");
  if (starts.size() > 1) problems.push_back(std::to_string(starts.size()) + " starts");
  if (exits.empty()) problems.push_back("no exit");
  if (exits.size() > 1) problems.push_back(std::to_string(exits.size()) + " exits");
  if (starts.size() == 1 && exits.size() == 1) {
    const auto [sx, sy] = starts[0];
    if (!reachable(level, sx, sy, exits[0].first, exits[0].second)) {
      problems.push_back("the start at " + cellName(sx, sy) + " is walled in: no way leads to the exit");
    }
  }
  checkPipes(level, problems);
  if (level.line1.size() > kLongestTextLine || level.line2.size() > kLongestTextLine) {
    problems.push_back("a text line is longer than " + std::to_string(kLongestTextLine) + " characters");
  }
  return problems;
}

}  // namespace tobrix::gamedata
