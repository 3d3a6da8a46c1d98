// The two tunes of the game's folder: system/098/Closure.xm (title) and closureb.xm (play).
#pragma once

#include <filesystem>

namespace tobrix::gamedata {

void makeTuneFiles(const std::filesystem::path& dataDir, const std::filesystem::path& outDir);

}  // namespace tobrix::gamedata
