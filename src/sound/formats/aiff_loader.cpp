// AIFF: big-endian PCM with an 80-bit sample rate, a sustain loop (INST) that refers to
// markers (MARK), and the markers themselves as cue points.
#include <algorithm>

#include "sound/formats/aiff_layout.h"
#include "sound/formats/format_loaders.h"
#include "sound/formats/loader_support.h"
#include "sound/formats/pcm_decoder.h"

namespace korvo::sound::formats {
namespace {

// The frames of aiff (8-bit data is signed already), or false when they cannot be played.
bool pcmLayout(const AiffLayout& aiff, PcmLayout& layout) {
  if (aiff.width == 0 || (aiff.channels != 1 && aiff.channels != 2) || !aiff.haveSound || !plausibleRate(aiff.rate))
    return false;
  const std::int64_t frameBytes = std::int64_t{aiff.width} * aiff.channels;
  layout.offset = aiff.dataOffset;
  layout.length = std::min<std::int64_t>(aiff.frames, aiff.dataSize / frameBytes) * frameBytes;
  layout.width = aiff.width;
  layout.channels = aiff.channels;
  layout.rate = static_cast<std::int32_t>(aiff.rate);
  layout.bigEndian = true;
  return true;
}

}  // namespace

DecoderResult openAiffDecoder(SoundFile& file) {
  AiffLayout aiff;
  PcmLayout layout;
  if (!readAiffLayout(file, aiff) || !pcmLayout(aiff, layout)) return {nullptr, EngineError::kUnrecognised};
  return {makePcmDecoder(file, layout), EngineError::kNone};
}

EngineError loadAiff(SoundFile& file, std::uint32_t requested, DecodedAudio& out) {
  AiffLayout aiff;
  PcmLayout layout;
  if (!readAiffLayout(file, aiff) || !pcmLayout(aiff, layout)) return EngineError::kUnrecognised;
  const std::unique_ptr<SoundDecoder> decoder = makePcmDecoder(file, layout);
  EngineError code = drainDecoder(*decoder, out.pcm);
  file.setBigEndian(false);
  if (code != EngineError::kNone) return code;
  const int bits = decoder->format().bits;
  // 8-bit AIFF data is signed already: the sample is flagged unsigned, the data goes in as is.
  code = finishDecode(out, requested, layout.rate, bits, aiff.channels, bits == 8);
  if (code != EngineError::kNone) return code;
  out.sourceMode = formatMode(0, bits, aiff.channels, false);

  out.cues.clear();
  for (const AiffMarker& marker : aiff.markers)
    out.cues.push_back(
        {std::min<std::uint32_t>(marker.position, static_cast<std::uint32_t>(std::max(out.frames - 1, 0))),
         marker.name});
  sortCues(out.cues);
  const AiffMarker* begin = aiff.haveLoop ? findMarker(aiff, aiff.loopBegin) : nullptr;
  const AiffMarker* end = aiff.haveLoop ? findMarker(aiff, aiff.loopEnd) : nullptr;
  // The end marker sits after the last looped frame.
  if (begin && end) applyFileLoop(out, begin->position, std::int64_t{end->position} - 1);
  return EngineError::kNone;
}

}  // namespace korvo::sound::formats
