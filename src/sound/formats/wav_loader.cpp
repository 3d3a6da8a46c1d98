// WAV: PCM data is taken as it stands (8-bit unsigned, 16-bit signed; 24- and 32-bit reduced
// to their top 16 bits); MPEG Layer 3 data goes to the MPEG decoder, any other coding is
// converted to 16-bit PCM by the codec layer.
#include "sound/formats/compressed_wav.h"
#include "sound/formats/format_loaders.h"
#include "sound/formats/loader_support.h"
#include "sound/formats/pcm_decoder.h"
#include "sound/formats/riff_chunks.h"

namespace korvo::sound::formats {
namespace {

// The PCM data of wave, or false when its layout cannot be played. signedOut makes 8-bit data
// signed on the way (streams); loaders keep it as stored and let the upload convert it.
bool pcmLayout(const RiffWave& wave, bool signedOut, PcmLayout& layout) {
  layout.width = (wave.bits + 7) / 8;
  if (layout.width < 1 || layout.width > 4 || (wave.channels != 1 && wave.channels != 2) || !plausibleRate(wave.rate))
    return false;
  layout.offset = wave.dataOffset;
  layout.length = wave.dataSize;
  layout.channels = wave.channels;
  layout.rate = static_cast<std::int32_t>(wave.rate);
  layout.isUnsigned = signedOut && layout.width == 1;
  return true;
}

EngineError readPcm(SoundFile& file, const RiffWave& wave, std::uint32_t requested, DecodedAudio& out) {
  PcmLayout layout;
  if (!pcmLayout(wave, false, layout)) return EngineError::kUnrecognised;
  const EngineError code = drainDecoder(*makePcmDecoder(file, layout), out.pcm);
  if (code != EngineError::kNone) return code;
  const int bits = layout.width == 1 ? 8 : 16;
  return finishDecode(out, requested, layout.rate, bits, wave.channels, bits == 8);
}

EngineError decodeMpegWave(SoundFile& file, const RiffWave& wave, std::uint32_t requested, DecodedAudio& out) {
  DecoderResult opened = openMpegWaveDecoder(file, wave);
  if (!opened.decoder) return opened.code;
  const EngineError code = drainDecoder(*opened.decoder, out.pcm);
  if (code != EngineError::kNone) return code;
  return finishDecode(out, requested, static_cast<int>(wave.rate), 16, wave.channels, false);
}

}  // namespace

DecoderResult openWavDecoder(SoundFile& file) {
  RiffWave wave;
  if (!readRiffWave(file, wave) || !wave.haveFormat || !wave.haveData) return {nullptr, EngineError::kUnrecognised};
  if (wave.tag == kWaveTagMpegLayer3) return openMpegWaveDecoder(file, wave);
  if (wave.tag != kWaveTagPcm) return openConvertedWavDecoder(file, wave.blockAlign);
  PcmLayout layout;
  if (!pcmLayout(wave, true, layout)) return {nullptr, EngineError::kUnrecognised};
  return {makePcmDecoder(file, layout), EngineError::kNone};
}

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
