// When blocks get mixed: the DSP chain, the mixing thread that keeps one to three blocks
// ahead of the play cursor, and the synchronous pump used instead of the thread when a
// clock-paced output (no sound, WAV file) runs under the virtual clock. The pump runs on the
// program's thread at the start of every engine operation and at close, so the audio
// produced depends only on what the program did at which clock time: the same bytes every run.
// Engine operations that DSP units make during a pass on the program's thread (the music
// unit starting notes) do not pump: that would start a pass inside the running one.
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
// Weight of the newest block in the smoothed CPU figure.
constexpr float kCpuSmoothing = 0.05f;

}  // namespace

void SoundEngine::enter() {
  if (std::this_thread::get_id() != owner_) return;
  setError(EngineError::kNone);
  if (synchronous_ && initialised() && !insideChain()) pump();
}

DspUnit* SoundEngine::createDspUnit(DspUnit::Callback callback, std::int32_t priority, bool active) {
  auto unit = std::make_unique<DspUnit>();
  unit->priority = priority;
  unit->active.store(active, std::memory_order_relaxed);
  unit->callback = std::move(callback);
  DspUnit* raw = unit.get();
  std::lock_guard lock(chainMutex_);
  // After the units of equal priority already there.
  auto at = std::upper_bound(units_.begin(), units_.end(), priority,
                             [](std::int32_t p, const std::unique_ptr<DspUnit>& u) { return p < u->priority; });
  units_.insert(at, std::move(unit));
  return raw;
}

void SoundEngine::freeDspUnit(DspUnit* unit) {
  std::lock_guard lock(chainMutex_);
  std::erase_if(units_, [unit](const std::unique_ptr<DspUnit>& u) { return u.get() == unit; });
}

void SoundEngine::setMusicMixer(std::function<void(void*, std::int32_t)> mixer) {
  std::lock_guard lock(chainMutex_);
  musicMixer_ = std::move(mixer);
}

void SoundEngine::mixChannels(void* buffer, MixList& list, std::int32_t samples) {
  if (mixer_) mixList(*mixer_, buffer, list, samples, rampLength_);
}

void SoundEngine::mixChannel(void* buffer, Channel& channel, std::int32_t samples) {
  if (mixer_) mixer_->mixChannel(buffer, channel, samples, rampLength_);
}

void SoundEngine::waitDspIdle() const {
  while (dspRunning_.load(std::memory_order_acquire) && !insideChain()) std::this_thread::yield();
}

void SoundEngine::runChain(std::int32_t block) {
  const auto begun = std::chrono::steady_clock::now();
  dspRunning_.store(true, std::memory_order_release);
  {
    std::lock_guard lock(chainMutex_);
    chainThread_.store(std::this_thread::get_id(), std::memory_order_release);
    const std::int32_t position = block * blockLength_;
    void* buffer = static_cast<std::uint8_t*>(mixBuffer_) + static_cast<std::size_t>(position) * mixValueBytes();
    for (const auto& unit : units_) {
      if (unit->active.load(std::memory_order_relaxed)) buffer = unit->callback(buffer, position, blockLength_);
    }
    chainThread_.store(std::thread::id{}, std::memory_order_release);
  }
  dspRunning_.store(false, std::memory_order_release);
  const double spent = std::chrono::duration<double>(std::chrono::steady_clock::now() - begun).count();
  const double blockSeconds = static_cast<double>(blockLength_) / mixRate_;
  const float percent = static_cast<float>(100.0 * spent / blockSeconds);
  const float old = cpuUsage_.load(std::memory_order_relaxed);
  cpuUsage_.store(old + (percent - old) * kCpuSmoothing, std::memory_order_relaxed);
}

void* SoundEngine::outputUnit(void* buffer, std::int32_t position, std::int32_t samples) {
  if (!primaryData_) return buffer;
  output_->lock();
  mixer_->clipCopy(primaryData_ + static_cast<std::size_t>(position) * outputChannels_, buffer, samples);
  output_->unlock();
  return buffer;
}

void* SoundEngine::levelsUnit(void* buffer, std::int32_t samples) {
  std::lock_guard lock(mixerLock_);
  for (std::int32_t i = 0; i < softwareCount_; ++i) {
    Channel& c = *channels_[static_cast<std::size_t>(i)];
    Sample* s = c.sample.load(std::memory_order_relaxed);
    std::uint32_t peakL = 0;
    std::uint32_t peakR = 0;
    if (s && s->data() && !c.hasFlag(chflag::kPaused)) {
      // The peak of the source frames the block will pass over, times the channel's gains.
      const std::uint64_t span = (c.increment.load(std::memory_order_relaxed) * static_cast<std::uint64_t>(samples)) >> 32;
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
  runChain(blockCursor_);
  blockCursor_ = (blockCursor_ + 1) % (bufferSamples_ / blockLength_);
}

void SoundEngine::pump() {
  if (!output_ || !output_->clockPaced() || !mixer_ || insideChain()) return;
  std::lock_guard lock(pumpMutex_);
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
    if (!primary_->sample.load(std::memory_order_acquire)) {
      std::this_thread::sleep_for(kIdleInterval);
      continue;
    }
    if (output_->clockPaced()) pump();
    else mixUpTo(output_->playPosition());
    std::this_thread::sleep_for(kPollInterval);
  }
}

}  // namespace korvo::sound
