// Shared loader steps: format mode, loops, cues and capped PCM growth.
#include "sound/formats/loader_support.h"

#include <algorithm>
#include <cstring>

namespace korvo::sound::formats {

std::uint32_t formatMode(std::uint32_t requested, int bits, int channels, bool isUnsigned) {
  std::uint32_t mode = requested & ~kModeFormatBits;
  mode |= bits == 16 ? kMode16Bits : kMode8Bits;
  mode |= channels == 2 ? kModeStereo : kModeMono;
  mode |= isUnsigned ? kModeUnsigned : kModeSigned;
  return mode;
}

int finishDecode(DecodedAudio& out, std::uint32_t requested, int rate, int bits, int channels, bool isUnsigned) {
  if (out.pcm.size() > kMaxPcmBytes) return kLoadNoMemory;
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
  return kLoadOk;
}

void applyFileLoop(DecodedAudio& out, std::int64_t start, std::int64_t end) {
  end = std::min<std::int64_t>(end, out.frames - 1);
  if (start < 0 || start >= end) return;
  out.loopStart = static_cast<std::int32_t>(start);
  out.loopEnd = static_cast<std::int32_t>(end);
  out.loopFound = true;
}

void sortCues(std::vector<CuePoint>& cues) {
  std::stable_sort(cues.begin(), cues.end(), [](const CuePoint& a, const CuePoint& b) { return a.position < b.position; });
}

bool appendPcm(std::vector<std::uint8_t>& pcm, const void* data, std::size_t size) {
  if (size > kMaxPcmBytes - pcm.size()) return false;
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  pcm.insert(pcm.end(), bytes, bytes + size);
  return true;
}

}  // namespace korvo::sound::formats
