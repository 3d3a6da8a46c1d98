// The level files of the game's folder: the Classic pack and the test map.
#pragma once

#include <filesystem>

namespace tobrix::gamedata {

// Reads levels/classic/*.lev and levels/test.lev under dataDir and writes
// "Tobrix Levels/Classic.pak" and "Tobrix Levels/test.lev" under outDir. Throws
// std::runtime_error when a level has a problem.
void makeLevelFiles(const std::filesystem::path& dataDir, const std::filesystem::path& outDir);

}  // namespace tobrix::gamedata
