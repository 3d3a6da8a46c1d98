// The picture files of the game's folder (system/098/*.png).
#pragma once

#include <filesystem>

namespace tobrix::gamedata {

void makePictureFiles(const std::filesystem::path& dataDir, const std::filesystem::path& outDir);

}  // namespace tobrix::gamedata
