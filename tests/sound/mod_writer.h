// A small MOD writer for tests: songs described in code become the bytes of a MOD file.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace korvo::sound::test {

struct ModSampleSpec {
  std::vector<std::int8_t> frames = std::vector<std::int8_t>(64, 40);
  std::uint8_t finetune = 0;
  std::uint8_t volume = 64;
  std::uint32_t loopStart = 0;   // frames, even
  std::uint32_t loopLength = 0;  // frames, even; below 3 means no loop
};

// One cell as the file stores it: sample number, Amiga period, effect digit, parameter.
struct ModCell {
  std::uint8_t sample = 0;
  std::uint16_t period = 0;
  std::uint8_t effect = 0;
  std::uint8_t param = 0;
};

struct ModSongSpec {
  std::string signature = "M.K.";
  int channels = 4;
  std::vector<std::uint8_t> orders = {0};
  // Per pattern: (row, channel) -> cell.
  std::vector<std::map<std::pair<int, int>, ModCell>> patterns = {{}};
  std::vector<ModSampleSpec> samples;
  // Bytes written between the patterns and the sample data.
  std::size_t gap = 0;
};

std::vector<std::uint8_t> writeMod(const ModSongSpec& spec);

// Amiga periods of C-2 (the file's middle C) and the C above.
inline constexpr std::uint16_t kModC = 428;
inline constexpr std::uint16_t kModCUp = 214;

}  // namespace korvo::sound::test
