// Shared loader steps: format mode, loops, cues and capped PCM growth.
#include "sound/formats/loader_support.h"

#include <algorithm>
#include <cstring>

namespace korvo::sound::formats {

std::uint32_t formatMode(std::uint32_t requested, int bits, int channels, bool isUnsigned) {
  std::uint32_t word = requested & ~kModeFormatBits;
  word |= bits == 16 ? mode::k16Bits : mode::k8Bits;
  word |= channels == 2 ? mode::kStereo : mode::kMono;
  word |= isUnsigned ? mode::kUnsigned : mode::kSigned;
  return word;
}

EngineError finishDecode(DecodedAudio& out, std::uint32_t requested, int rate, int bits, int channels,
                         bool isUnsigned) {
  if (out.pcm.size() > kMaxPcmBytes) return EngineError::kOutOfMemory;
  out.mode = formatMode(requested, bits, channels, isUnsigned);
  out.sourceMode = formatMode(0, bits, channels, isUnsigned);
  out.rate = rate;
  out.bits = bits;
  out.channels = channels;
  out.frames = static_cast<std::int32_t>(out.pcm.size() / static_cast<std::size_t>(out.frameBytes()));
  out.pcm.resize(static_cast<std::size_t>(out.frames) * static_cast<std::size_t>(out.frameBytes()));
  out.loopStart = 0;
  out.loopEnd = out.frames - 1;
  out.loopFound = false;
  return EngineError::kNone;
}

void applyFileLoop(DecodedAudio& out, std::int64_t start, std::int64_t end) {
  end = std::min<std::int64_t>(end, out.frames - 1);
  if (start < 0 || start >= end) return;
  out.loopStart = static_cast<std::int32_t>(start);
  out.loopEnd = static_cast<std::int32_t>(end);
  out.loopFound = true;
}

void sortCues(std::vector<CuePoint>& cues) {
  std::stable_sort(cues.begin(), cues.end(),
                   [](const CuePoint& a, const CuePoint& b) { return a.position < b.position; });
}

bool appendPcm(std::vector<std::uint8_t>& pcm, const void* data, std::size_t size) {
  if (size > kMaxPcmBytes - pcm.size()) return false;
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  pcm.insert(pcm.end(), bytes, bytes + size);
  return true;
}

void narrowTo16(const std::uint8_t* source, std::size_t samples, std::int32_t width, bool bigEndian,
                std::uint8_t* dest) {
  const std::size_t w = static_cast<std::size_t>(width);
  for (std::size_t i = 0; i < samples; ++i) {
    const std::uint8_t* s = source + i * w;
    const std::uint8_t low = bigEndian ? s[1] : s[w - 2];
    const std::uint8_t high = bigEndian ? s[0] : s[w - 1];
    dest[2 * i] = low;
    dest[2 * i + 1] = high;
  }
}

}  // namespace korvo::sound::formats
