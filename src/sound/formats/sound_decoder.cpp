// What every decoder shares: the read block, lengths, draining for the whole-file loaders, and
// the order in which a stream's file meets the decoders.
#include "sound/formats/sound_decoder.h"

#include <algorithm>

#include "sound/formats/decoded_audio.h"

namespace korvo::sound::formats {
namespace {

// Bytes decoded per step of draining a whole file.
constexpr std::size_t kDrainStep = 64 * 1024;

}  // namespace

std::int32_t readBlockFor(std::int32_t blockBytes) {
  std::int32_t block = std::max(1, blockBytes);
  while (block < kMinReadBlock) block *= 2;
  return block;
}

std::int64_t pcmMilliseconds(std::int64_t bytes, const DecoderFormat& format) {
  return bytes / format.frameBytes() * 1000 / format.rate;
}

EngineError drainDecoder(SoundDecoder& decoder, std::vector<std::uint8_t>& pcm) {
  // Room for one frame past the cap tells data that passes it from data that fills it exactly.
  constexpr std::size_t kLimit = kMaxPcmBytes + 4;
  pcm.clear();
  for (;;) {
    const std::size_t at = pcm.size();
    pcm.resize(at + std::min(kDrainStep, kLimit - at));
    const std::size_t got = decoder.read(pcm.data() + at, pcm.size() - at);
    pcm.resize(at + got);
    if (pcm.size() > kMaxPcmBytes) return EngineError::kOutOfMemory;
    if (got == 0) return EngineError::kNone;
  }
}

DecoderResult openStreamDecoder(SoundFile& file, std::uint32_t requested) {
  if (requested & mode::kRaw) return openRawDecoder(file, requested);
  DecoderResult result = openOggDecoder(file);
  if (result.code == EngineError::kUnrecognised)
    result = openMpegDecoder(file, (requested & mode::kAccurateLength) != 0);
  if (result.code == EngineError::kUnrecognised) result = openWavDecoder(file);
  if (result.code == EngineError::kUnrecognised) result = openAiffDecoder(file);
  return result;
}

}  // namespace korvo::sound::formats
