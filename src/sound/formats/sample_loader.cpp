// From a decoded file to a sample: allocate with the file's format and defaults, upload the
// PCM in the conventions the file gave it, then set the file's loop and cue points.
#include "sound/formats/sample_loader.h"

#include "sound/formats/format_loaders.h"

namespace korvo::sound {
namespace {

constexpr std::size_t kMaxNameLength = 255;
constexpr std::int32_t kDefaultVolume = 255;
constexpr std::int32_t kDefaultPriority = 255;

Sample* fail(EngineError code) {
  setError(code);
  return nullptr;
}

}  // namespace

Sample* loadSample(SoundEngine& engine, int slot, const void* nameOrData, std::uint32_t modeWord, std::int32_t length) {
  setError(EngineError::kNone);
  if (!engine.initialised()) return fail(EngineError::kNotStarted);
  const bool fromMemory = (modeWord & mode::kFromMemory) != 0;
  if (!nameOrData || (fromMemory && length <= 0)) return fail(EngineError::kInvalidArgument);
  const formats::SoundSource source = fromMemory
                                          ? formats::SoundSource::memory(nameOrData, static_cast<std::size_t>(length))
                                          : formats::SoundSource::file(static_cast<const char*>(nameOrData));
  return loadSample(engine, slot, source, modeWord);
}

Sample* loadSample(SoundEngine& engine, int slot, const formats::SoundSource& source, std::uint32_t modeWord) {
  using namespace formats;
  setError(EngineError::kNone);
  if (!engine.initialised()) return fail(EngineError::kNotStarted);
  std::unique_ptr<SoundFile> file = SoundFile::open(source);
  if (!file) return fail(EngineError::kFileOpen);
  DecodedAudio audio;
  const EngineError code = decodeSound(*file, modeWord, audio);
  if (code != EngineError::kNone) return fail(code);

  Sample* sample = engine.allocSample(slot, static_cast<std::uint32_t>(audio.frames), audio.mode, audio.rate,
                                      kDefaultVolume, audio.pan(), kDefaultPriority);
  if (!sample) return nullptr;
  sample->name = file->name().substr(0, kMaxNameLength);
  if (!engine.uploadSampleData(sample, audio.pcm.data(), audio.sourceMode, audio.pcm.size())) {
    const EngineError uploadCode = lastError();
    engine.freeSample(sample);
    return fail(uploadCode);
  }
  if (audio.loopFound) {
    engine.setSampleLoopPoints(sample, static_cast<std::uint32_t>(audio.loopStart),
                               static_cast<std::uint32_t>(audio.loopEnd));
    if (!(modeWord & mode::kLoopOff)) engine.setSampleMode(sample, mode::kLoopNormal);
  }
  sample->cues = std::move(audio.cues);
  setError(EngineError::kNone);
  return sample;
}

}  // namespace korvo::sound
