// The sound effects of the game's folder (system/098/sfx/*.wav), made from the recipes in
// sounds/effects.txt.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace tobrix::gamedata {

inline constexpr int kEffectRate = 22050;

// Every sound the recipes describe, by name, as 16-bit samples at kEffectRate. Throws
// std::runtime_error naming the line of a mistake.
std::map<std::string, std::vector<std::int16_t>> renderEffects(std::string_view recipes);

void makeSoundFiles(const std::filesystem::path& dataDir, const std::filesystem::path& outDir);

}  // namespace tobrix::gamedata
