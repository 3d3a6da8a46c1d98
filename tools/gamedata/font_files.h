// The game's font: system/098/edit undo brk.ttf, built from game/data/font/glyphs.txt.
#pragma once

#include <filesystem>

namespace tobrix::gamedata {

void makeFontFile(const std::filesystem::path& dataDir, const std::filesystem::path& outDir);

}  // namespace tobrix::gamedata
