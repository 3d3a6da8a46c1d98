// What makes a level impossible or broken before anyone plays it: missing or doubled start
// and exit, characters the block table does not know, a start the exit cannot be reached
// from through anything but solid wall, pipes that are not two wide.
#pragma once

#include <string>
#include <vector>

#include "level_text.h"

namespace tobrix::gamedata {

// Every problem found in the level, as sentences naming the cells concerned.
std::vector<std::string> checkLevel(const LevelText& level);

}  // namespace tobrix::gamedata
