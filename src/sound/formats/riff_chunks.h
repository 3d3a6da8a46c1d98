// The chunk walk of a RIFF file: its format record, data, sampler loop, cue points and their
// labels. Shared by the WAV loader and by MPEG detection (MPEG data wrapped in RIFF).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sound/formats/sound_file.h"

namespace korvo::sound::formats {

inline constexpr std::uint16_t kWaveTagPcm = 1;
inline constexpr std::uint16_t kWaveTagMpeg = 0x50;
inline constexpr std::uint16_t kWaveTagMpegLayer3 = 0x55;
inline constexpr std::uint16_t kWaveTagExtensible = 0xFFFE;

struct RiffWave {
  struct Cue {
    std::uint32_t id = 0;
    std::uint32_t position = 0;
    std::string name;
  };

  bool haveFormat = false;
  std::uint16_t tag = 0;  // for the extensible tag, the sub-format's first two bytes
  std::uint16_t channels = 0;
  std::uint32_t rate = 0;
  std::uint32_t byteRate = 0;  // bytes a second
  std::uint16_t blockAlign = 0;
  std::uint16_t bits = 0;

  bool haveData = false;
  std::int64_t dataOffset = 0;
  std::int64_t dataSize = 0;  // cut to what the file holds

  bool haveLoop = false;  // a sampler loop other than 0..0
  std::uint32_t loopStart = 0;
  std::uint32_t loopEnd = 0;  // inclusive

  std::vector<Cue> cues;  // in file order, named by their labels
};

// Walks the chunks of a file that starts with "RIFF"; false when it does not.
bool readRiffWave(SoundFile& file, RiffWave& wave);

}  // namespace korvo::sound::formats
