// Level packs: the game's run-length code and the pack file of 20 level blocks, written as
// the game writes them and read back by the game's own reading rules.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "level_text.h"

namespace tobrix::gamedata {

inline constexpr int kPackLevels = 20;

// The run-length code: pairs of a count letter (A..Z = 1..26, a..z = 27..52) and the
// character, with a space after every tenth pair but the last run's.
std::string compressLevel(std::string_view text);
std::string decompressLevel(std::string_view code);

// A pack file's bytes for up to 20 levels; missing slots are written as empty levels.
std::string writePack(const std::vector<LevelText>& levels);

// One level slot as the game reads it back.
struct PackSlot {
  bool valid = false;  // has a start and at least 2500 cells
  std::string line1, line2;
  std::string cells;  // the first 2500 cells of a valid level
  bool trailerOk = false;
};
std::vector<PackSlot> readPack(std::string_view bytes);

}  // namespace tobrix::gamedata
