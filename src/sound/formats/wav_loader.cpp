// WAV: PCM data is taken as it stands (8-bit unsigned, 16-bit signed; 24- and 32-bit reduced
// to their top 16 bits); MPEG Layer 3 data goes to the MPEG decoder, any other coding is
// converted to 16-bit PCM by the codec layer.
#include <algorithm>
#include <bit>

#include "sound/formats/compressed_wav.h"
#include "sound/formats/format_loaders.h"
#include "sound/formats/loader_support.h"
#include "sound/formats/riff_chunks.h"

namespace korvo::sound::formats {
namespace {

static_assert(std::endian::native == std::endian::little, "PCM is read in file order");

// Keeps the top two bytes of each little-endian sample of width bytes.
void narrowTo16(std::vector<std::uint8_t>& pcm, std::size_t width) {
  const std::size_t samples = pcm.size() / width;
  for (std::size_t i = 0; i < samples; ++i) {
    pcm[i * 2] = pcm[i * width + width - 2];
    pcm[i * 2 + 1] = pcm[i * width + width - 1];
  }
  pcm.resize(samples * 2);
}

EngineError readPcm(SoundFile& file, const RiffWave& wave, std::uint32_t requested, DecodedAudio& out) {
  const std::size_t width = (wave.bits + 7u) / 8u;
  if (width < 1 || width > 4 || (wave.channels != 1 && wave.channels != 2) || !plausibleRate(wave.rate))
    return EngineError::kUnrecognised;
  const std::size_t frameBytes = width * wave.channels;
  const std::size_t bytes = static_cast<std::size_t>(wave.dataSize) / frameBytes * frameBytes;
  if (bytes > kMaxPcmBytes) return EngineError::kOutOfMemory;
  out.pcm.assign(bytes, 0);
  file.seek(wave.dataOffset, SeekFrom::kStart);
  file.read(out.pcm.data(), width == 2 ? 2 : 1, width == 2 ? bytes / 2 : bytes);
  if (width > 2) narrowTo16(out.pcm, width);
  const int bits = width == 1 ? 8 : 16;
  return finishDecode(out, requested, static_cast<int>(wave.rate), bits, wave.channels, bits == 8);
}

// MPEG Layer 3 data that MPEG detection passed over (no pair of frames near its start), in the
// rate and channels of the format record. The codec layer's own MPEG decoder would say what it
// finds wrong on standard error; ours stays quiet.
EngineError decodeMpegWave(SoundFile& file, const RiffWave& wave, std::uint32_t requested, DecodedAudio& out) {
  if ((wave.channels != 1 && wave.channels != 2) || !plausibleRate(wave.rate)) return EngineError::kUnrecognised;
  const int rate = static_cast<int>(wave.rate);
  out.pcm.clear();
  const EngineError code =
      decodeMpegData(file, wave.dataOffset, wave.dataOffset + wave.dataSize, rate, wave.channels, out.pcm);
  return code == EngineError::kNone ? finishDecode(out, requested, rate, 16, wave.channels, false) : code;
}

}  // namespace

EngineError loadWav(SoundFile& file, std::uint32_t requested, DecodedAudio& out) {
  RiffWave wave;
  if (!readRiffWave(file, wave) || !wave.haveFormat || !wave.haveData) return EngineError::kUnrecognised;
  const EngineError code = wave.tag == kWaveTagPcm          ? readPcm(file, wave, requested, out)
                           : wave.tag == kWaveTagMpegLayer3 ? decodeMpegWave(file, wave, requested, out)
                                                            : decodeCompressedWav(file, requested, out);
  if (code != EngineError::kNone) return code;
  if (wave.haveLoop) applyFileLoop(out, wave.loopStart, wave.loopEnd);
  out.cues.clear();
  for (RiffWave::Cue& cue : wave.cues) out.cues.push_back({cue.position, std::move(cue.name)});
  sortCues(out.cues);
  return EngineError::kNone;
}

}  // namespace korvo::sound::formats
