// When blocks get mixed: the mixing thread that keeps one to three blocks ahead of the play
// cursor, and the synchronous pump used instead of the thread when a
// clock-paced output (no sound, WAV file) runs under the virtual clock. The pump runs on the
// program's thread at the start of every engine operation and at close, so the audio
// produced depends only on what the program did at which clock time: the same bytes every run.
// Engine operations that DSP units make during a pass on the program's thread (the music
// unit starting notes) do not pump: that would start a pass inside the running one. Also the
// engine's own units: the music unit's song mixer, the output copy and the level meters.
#include <algorithm>
#include <chrono>
#include <cmath>

#include "backend/clock.h"
#include "sound/engine/mixer.h"
#include "sound/engine/output_driver.h"
#include "sound/engine/sound_engine.h"

namespace korvo::sound {
namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(10);
constexpr auto kIdleInterval = std::chrono::milliseconds(1);

}  // namespace

void SoundEngine::enter() {
  // A pass's own calls (notes of songs, stream fills) are the engine's work, not the
  // program's: they leave the program's last error alone.
  if (std::this_thread::get_id() != owner_ || chain_.insidePass()) return;
  setError(EngineError::kNone);
  if (synchronous_ && initialised()) pump();
}

void SoundEngine::setMusicMixer(std::function<void(void*, std::int32_t)> mixer) {
  musicMixer_ = std::move(mixer);
  if (!musicUnit_) return;
  chain_.setCallback(musicUnit_, [mixer = musicMixer_](void* buf, std::int32_t, std::int32_t n) {
    if (mixer) mixer(buf, n);
    return buf;
  });
}

void SoundEngine::mixChannels(void* buffer, MixList& list, std::int32_t samples) {
  if (mixer_) mixList(*mixer_, buffer, list, samples, rampLength_);
}

void* SoundEngine::outputUnit(void* buffer, std::int32_t position, std::int32_t samples) {
  if (!primaryData_) return buffer;
  output_->lock();
  mixer_->clipCopy(primaryData_ + static_cast<std::size_t>(position) * outputChannels_, buffer, samples);
  output_->unlock();
  return buffer;
}

void* SoundEngine::levelsUnit(void* buffer, std::int32_t samples) {
  std::lock_guard lock(channels_.mixerLock());
  for (std::int32_t i = 0; i < channels_.softwareCount(); ++i) {
    Channel& c = channels_.software(i);
    Sample* s = c.sample.load(std::memory_order_relaxed);
    std::uint32_t peakL = 0;
    std::uint32_t peakR = 0;
    if (s && s->data() && !c.hasFlag(chflag::kPaused)) {
      // The peak of the source frames the block will pass over, times the channel's gains.
      const std::uint64_t span =
          (c.increment.load(std::memory_order_relaxed) * static_cast<std::uint64_t>(samples)) >> 32;
      const std::int64_t from = std::clamp<std::int64_t>(c.position >> 32, 0, s->length);
      const std::int64_t to = std::min<std::int64_t>(s->length, from + static_cast<std::int64_t>(span) + 1);
      std::uint32_t peak = 0;
      const std::uint32_t values = s->isStereo() ? 2 : 1;
      for (std::int64_t f = from * values; f < to * values; ++f) {
        const std::int32_t v = s->is16Bit() ? reinterpret_cast<const std::int16_t*>(s->data())[f]
                                            : static_cast<std::int8_t>(s->data()[f]) * 256;
        peak = std::max<std::uint32_t>(peak, static_cast<std::uint32_t>(std::abs(v)) * 2);
      }
      const std::uint32_t targets = c.targets.load(std::memory_order_relaxed);
      peakL = std::min<std::uint32_t>(65535, peak * Channel::targetLeft(targets) / 255);
      peakR = std::min<std::uint32_t>(65535, peak * Channel::targetRight(targets) / 255);
    }
    c.peakLeft.store(peakL, std::memory_order_relaxed);
    c.peakRight.store(peakR, std::memory_order_relaxed);
  }
  return buffer;
}

void SoundEngine::mixUpTo(std::int64_t playFrame) {
  if (!mixer_ || bufferSamples_ == 0) return;
  const std::int32_t playing = static_cast<std::int32_t>(playFrame % bufferSamples_) / blockLength_;
  while (blockCursor_ != playing) mixNextBlock();
}

void SoundEngine::mixNextBlock() {
  chain_.run(mixBuffer_, blockCursor_ * blockLength_, blockLength_, mixValueBytes(),
             static_cast<double>(blockLength_) / mixRate_);
  blockCursor_ = (blockCursor_ + 1) % (bufferSamples_ / blockLength_);
}

void SoundEngine::pump() {
  if (!output_ || !output_->clockPaced() || !mixer_ || chain_.insidePass()) return;
  std::lock_guard lock(pumpLock_);
  const std::int64_t target = output_->playPosition();
  while (playedFrames_ < target) {
    mixUpTo(playedFrames_);
    const std::int64_t blockEnd = (playedFrames_ / blockLength_ + 1) * blockLength_;
    const std::int32_t step = static_cast<std::int32_t>(std::min(target, blockEnd) - playedFrames_);
    if (primaryData_) {
      const std::size_t offset = static_cast<std::size_t>(playedFrames_ % bufferSamples_) * outputChannels_;
      output_->played(primaryData_ + offset, step);
    }
    playedFrames_ += step;
  }
  mixUpTo(playedFrames_);
}

void SoundEngine::startMixingThread() {
  stopThread_.store(false, std::memory_order_release);
  mixingThread_ = std::thread([this] { mixingThreadMain(); });
}

void SoundEngine::stopMixingThread() {
  if (!mixingThread_.joinable()) return;
  stopThread_.store(true, std::memory_order_release);
  mixingThread_.join();
}

void SoundEngine::mixingThreadMain() {
  while (!stopThread_.load(std::memory_order_acquire)) {
    if (!channels_.primary()->sample.load(std::memory_order_acquire)) {
      std::this_thread::sleep_for(kIdleInterval);
      continue;
    }
    if (output_->clockPaced()) pump();
    else mixUpTo(output_->playPosition());
    std::this_thread::sleep_for(kPollInterval);
  }
}

}  // namespace korvo::sound
