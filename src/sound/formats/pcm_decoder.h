// The decoder of PCM that stands in a file as it is to be played (raw, WAV and AIFF data).
#pragma once

#include <cstdint>
#include <memory>

#include "sound/formats/sound_decoder.h"

namespace korvo::sound::formats {

struct PcmLayout {
  std::int64_t offset = 0;  // of the audio data in the file
  std::int64_t length = 0;  // its bytes (cut to whole frames)
  std::int32_t width = 2;   // bytes per sample, 1..4
  std::int32_t channels = 1;
  std::int32_t rate = 44100;
  bool isUnsigned = false;  // 8- or 16-bit values stored unsigned
  bool bigEndian = false;
};

std::unique_ptr<SoundDecoder> makePcmDecoder(SoundFile& file, const PcmLayout& layout);

}  // namespace korvo::sound::formats
