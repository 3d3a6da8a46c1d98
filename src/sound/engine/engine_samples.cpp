// The engine's sample operations: argument checks, allocation into the slot table, upload,
// locking, loop points, defaults, and freeing once no channel plays the sample. Changes to a
// sample's mode, loop or guard samples are made under the mixer lock, so that the
// sound-effects unit never mixes a sample halfway through one (uploads stay outside it: a
// large one would hold up the mixing thread).
#include <cstring>
#include <mutex>

#include "sound/engine/output_driver.h"
#include "sound/engine/sample_store.h"
#include "sound/engine/sound_engine.h"
#include "sound/engine/tracker_unpack.h"

namespace korvo::sound {
namespace {

bool invalid() {
  setError(EngineError::kInvalidArgument);
  return false;
}

}  // namespace

Sample* SoundEngine::allocSample(int slot, std::uint32_t length, std::uint32_t modeWord, std::int32_t frequency,
                                 std::int32_t volume, std::int32_t pan, std::int32_t priority) {
  enter();
  if (!initialised() || !samples_) {
    setError(EngineError::kNotStarted);
    return nullptr;
  }
  if (length == 0 || slot < kSlotOutside) {
    invalid();
    return nullptr;
  }
  const std::uint32_t m = SampleStore::normaliseMode(modeWord, false, output_->givesBuffers());
  if (m & mode::kPackedUnmixable) {
    setError(EngineError::kUnrecognised);
    return nullptr;
  }
  if (slot >= 0) {
    if (Sample* old = samples_->at(slot)) freeSample(old);
  }
  Sample* s = nullptr;
  {
    // Song voices check their samples against the table from the mixing thread.
    std::lock_guard lock(channels_.mixerLock());
    s = samples_->place(slot, m);
  }
  if (!s) {
    invalid();
    return nullptr;
  }
  if (!SampleStore::createBuffer(*s, length)) {
    std::lock_guard lock(channels_.mixerLock());
    samples_->release(s);
    setError(EngineError::kOutOfMemory);
    return nullptr;
  }
  s->loopStart = 0;
  s->loopLength = length;
  s->defaultFrequency = frequency;
  s->defaultVolume = volume;
  s->defaultPan = pan;
  s->defaultPriority = priority;
  SampleStore::refreshGuards(*s);
  return s;
}

void SoundEngine::freeSample(Sample* sample) {
  enter();
  if (!samples_ || !samples_->owns(sample) || sample == primarySample_) {
    invalid();
    return;
  }
  // The songs forget it first, so that no note of theirs can start it once its channels stop.
  if (sample->ownedBySong && songSampleHook_) songSampleHook_(sample);
  channels_.silenceSample(sample);
  waitDspIdle();
  if (sample->decoder && sample->decoderRelease) sample->decoderRelease(sample->decoder);
  sample->decoder = nullptr;
  std::lock_guard lock(channels_.mixerLock());
  samples_->release(sample);
}

bool SoundEngine::uploadSampleData(Sample* sample, const void* source, std::uint32_t srcMode, std::size_t sourceBytes) {
  enter();
  if (!samples_ || !samples_->owns(sample) || !source || !sample->data()) return invalid();
  if (srcMode & (mode::kTrackerPacked | mode::kTrackerPacked2)) {
    // Stereo data is packed one side after the other: only the mono form is unpacked.
    if (sample->isStereo()) {
      setError(EngineError::kUnrecognised);
      return false;
    }
    unpackTrackerSample(static_cast<const std::uint8_t*>(source), sourceBytes, sample->data(), sample->length,
                        sample->is16Bit(), (srcMode & mode::kTrackerPacked2) != 0);
  } else {
    std::memcpy(sample->data(), source, sample->dataBytes());
  }
  SampleStore::convertUploaded(*sample, srcMode);
  SampleStore::refreshGuards(*sample);
  return true;
}

bool SoundEngine::lockSample(Sample* sample, std::uint32_t offset, std::uint32_t length, SampleLock& lock) {
  enter();
  if (!samples_ || !samples_->owns(sample)) return invalid();
  return SampleStore::lockRange(*sample, offset, length, lock) || invalid();
}

bool SoundEngine::unlockSample(Sample* sample, const SampleLock&) {
  enter();
  if (!samples_ || !samples_->owns(sample)) return invalid();
  std::lock_guard lock(channels_.mixerLock());
  SampleStore::refreshGuards(*sample);
  return true;
}

bool SoundEngine::setSampleMode(Sample* sample, std::uint32_t modeWord) {
  enter();
  if (!samples_ || !samples_->owns(sample)) return invalid();
  std::lock_guard lock(channels_.mixerLock());
  std::uint32_t loop = 0;
  if (modeWord & mode::kLoopNormal) loop = mode::kLoopNormal;
  else if (modeWord & mode::kLoopBidi) loop = mode::kLoopBidi;
  else if (modeWord & mode::kLoopOff) loop = mode::kLoopOff;
  if (loop) sample->mode = (sample->mode & ~mode::kLoopBits) | loop;
  if ((modeWord & mode::k2D) && !(modeWord & mode::kHardware)) sample->mode |= mode::k2D;
  SampleStore::refreshGuards(*sample);
  return true;
}

bool SoundEngine::setSampleLoopPoints(Sample* sample, std::uint32_t start, std::uint32_t end) {
  enter();
  if (!samples_ || !samples_->owns(sample) || start >= end || end >= sample->length) return invalid();
  std::lock_guard lock(channels_.mixerLock());
  sample->loopStart = start;
  sample->loopLength = end - start + 1;
  SampleStore::refreshGuards(*sample);
  return true;
}

bool SoundEngine::setSampleDefaults(Sample* sample, std::int32_t frequency, std::int32_t volume, std::int32_t pan,
                                    std::int32_t priority) {
  enter();
  if (!samples_ || !samples_->owns(sample)) return invalid();
  if (frequency > 0) sample->defaultFrequency = frequency;
  if (volume > 0) sample->defaultVolume = volume;
  if (pan > 0) sample->defaultPan = pan;
  if (priority > 0) sample->defaultPriority = priority;
  return true;
}

bool SoundEngine::getSampleDefaults(const Sample* sample, std::int32_t& frequency, std::int32_t& volume,
                                    std::int32_t& pan, std::int32_t& priority) {
  enter();
  if (!samples_ || !samples_->owns(sample)) return invalid();
  frequency = sample->defaultFrequency;
  volume = sample->defaultVolume;
  pan = sample->defaultPan;
  priority = sample->defaultPriority;
  return true;
}

Sample* SoundEngine::sampleInSlot(int slot) const { return samples_ ? samples_->at(slot) : nullptr; }

}  // namespace korvo::sound
