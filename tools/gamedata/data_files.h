// Reading the text sources and writing the game's files whole or not at all.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tobrix::gamedata {

// The whole file as text; throws std::runtime_error naming the file when it cannot be read.
std::string readText(const std::filesystem::path& path);

// Writes bytes to path (creating its folders); throws std::runtime_error on failure.
void writeFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);
void writeFile(const std::filesystem::path& path, std::string_view text);

// The files in folder whose names end in extension, sorted by name.
std::vector<std::filesystem::path> filesIn(const std::filesystem::path& folder, std::string_view extension);

}  // namespace tobrix::gamedata
