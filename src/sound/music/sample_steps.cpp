// The loaders' shared sample steps.
#include "sound/music/sample_steps.h"

#include <algorithm>

namespace korvo::sound::music {

void setSampleLoop(SongSample& s, bool looped, std::uint32_t start, std::uint32_t end, std::uint32_t loopMode) {
  if (looped) {
    s.loopMode = loopMode;
    s.loopStart = start;
    s.loopLength = std::min(end, s.length) - start;
  } else {
    s.loopMode = 1;
    s.loopStart = 0;
    s.loopLength = s.length;
  }
}

void cutSample(SongSample& s, std::uint32_t frames) {
  if (frames >= s.length) return;
  s.length = frames;
  if (s.loopStart >= frames) s.loopMode = 1;
  if (s.loopMode == 1) s.loopStart = 0, s.loopLength = frames;
  s.loopLength = std::min(s.loopLength, frames - s.loopStart);
}

EngineError uploadSample(SampleSink& sink, SongSample& s, const void* data, std::size_t bytes, std::uint32_t srcMode) {
  std::int32_t error = 0;
  s.pcm = sink.createSample(s, data, bytes, srcMode, error);
  if (s.pcm < 0) return error ? static_cast<EngineError>(error) : EngineError::kOutOfMemory;
  return EngineError::kNone;
}

}  // namespace korvo::sound::music
