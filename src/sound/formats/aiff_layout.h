// The chunk walk of an AIFF file: its format (COMM), where its frames stand (SSND), its
// sustain loop (INST) and the markers the loop refers to (MARK).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sound/formats/sound_file.h"

namespace korvo::sound::formats {

struct AiffMarker {
  std::uint16_t id = 0;
  std::uint32_t position = 0;
  std::string name;
};

struct AiffLayout {
  int channels = 0;
  std::uint32_t frames = 0;
  int width = 0;  // bytes per sample, 1..4
  double rate = 0;
  bool haveSound = false;
  std::int64_t dataOffset = 0;
  std::int64_t dataSize = 0;
  bool haveLoop = false;
  std::uint16_t loopBegin = 0;  // marker ids
  std::uint16_t loopEnd = 0;
  std::vector<AiffMarker> markers;
};

// Walks the chunks of a file that starts with "FORM" .. "AIFF"; false when it does not.
bool readAiffLayout(SoundFile& file, AiffLayout& aiff);
// The marker with the id, or null.
const AiffMarker* findMarker(const AiffLayout& aiff, std::uint16_t id);

}  // namespace korvo::sound::formats
