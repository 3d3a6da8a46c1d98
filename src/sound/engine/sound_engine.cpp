// Engine start-up and shutdown, the output choice, and the mixer's start and stop.
#include "sound/engine/sound_engine.h"

#include <algorithm>
#include <new>
#include <utility>

#include "backend/audio_device.h"
#include "backend/clock.h"
#include "sound/engine/mixer.h"
#include "sound/engine/output_driver.h"
#include "sound/engine/sample_store.h"

namespace korvo::sound {
namespace {

constexpr std::int32_t kExtraChannels = 16;
constexpr std::uint32_t kMixAlignmentSpare = 256;
constexpr const char* kPrimaryName = "AUDREX Primary MixBuffer";

// The output type -1 stands for, from KORVO_AUDIO.
int resolveAutoOutput(const platform::AudioOutputChoice& choice) {
  switch (choice.kind) {
    case platform::AudioOutputKind::kNone: return output::kNoSound;
    case platform::AudioOutputKind::kWavFile: return output::kWavFile;
    default: return output::kDevice;
  }
}

}  // namespace

SoundEngine::SoundEngine() : cpu_(detectCpuFeatures()) {}

SoundEngine::~SoundEngine() { close(); }

SoundEngine& soundEngine() {
  static SoundEngine engine;
  return engine;
}

bool SoundEngine::setOutput(int type) {
  enter();
  if (initialised()) {
    setError(EngineError::kOutputChangedAfterInit);
    return false;
  }
  requestedOutput_ = type;
  return true;
}

bool SoundEngine::setOutputWindow(void* window) {
  enter();
  if (initialised()) {
    setError(EngineError::kOutputChangedAfterInit);
    return false;
  }
  outputWindow_ = window;
  return true;
}

bool SoundEngine::setMixer(int type) {
  enter();
  if (initialised() || type < 0 || type >= mixer::kCount) {
    setError(initialised() ? EngineError::kOutputChangedAfterInit : EngineError::kInvalidArgument);
    return false;
  }
  requestedMixer_ = type;
  return true;
}

const char* SoundEngine::outputName() const { return output_ ? output_->name() : "No Sound Driver"; }

void SoundEngine::setMasterVolume(std::int32_t volume) {
  enter();
  channels_.setMasterVolume(volume);
}

bool SoundEngine::init(std::int32_t mixRate, std::int32_t softwareChannels, std::uint32_t flags) {
  setError(EngineError::kNone);
  if (softwareChannels < 1 || mixRate < 4000 || mixRate > 65535) {
    setError(EngineError::kInvalidArgument);
    return false;
  }
  close();

  owner_ = std::this_thread::get_id();
  samples_ = std::make_unique<SampleStore>();
  mixRate_ = mixRate;
  flags_ = flags;
  channels_.setMasterVolume(255);

  if (!startOutput()) return false;
  synchronous_ = output_->clockPaced() && platform::clock().isVirtual();
  bufferLengthMs_ = 50 * 2;
  channels_.create(softwareChannels, kExtraChannels, mixRate_);
  if (!startMixer() || !createPrimaryBuffer()) {
    close();
    return false;
  }

  initialised_.store(true, std::memory_order_release);
  playSample(kPrimaryChannel, primarySample_);
  channels_.primary()->setFlag(chflag::kReserved, true);

  playedFrames_ = 0;
  blockCursor_ = 0;
  // Audio time moves with the clock: every advance mixes and plays what has become due, so
  // songs, streams and sounds sound while the program waits, whatever else it calls.
  if (synchronous_) {
    clockListener_ = platform::addClockListener([this] { pump(); });
  } else {
    startMixingThread();
    startStreamThread();
  }
  return true;
}

bool SoundEngine::startOutput() {
  outputType_ = requestedOutput_;
  const platform::AudioOutputChoice choice = platform::chosenAudioOutput();
  const bool automatic = outputType_ == output::kAuto;
  if (automatic) outputType_ = resolveAutoOutput(choice);
  const int selected = selectMixer(requestedMixer_, cpu_);
  const MixerDescriptor* mixer = mixerDescriptor(selected);
  outputChannels_ = mixer && mixer->mono ? 1 : 2;

  if (outputType_ == output::kDevice) output_ = makeDeviceOutput();
  else if (outputType_ == output::kWavFile) output_ = makeWavFileOutput(choice.path);
  else output_ = makeNoSoundOutput();
  if (output_ && output_->start(mixRate_, outputChannels_)) return true;
  // The automatic choice falls back to no sound, so a machine without a device still runs.
  if (automatic && outputType_ == output::kDevice) {
    outputType_ = output::kNoSound;
    output_ = makeNoSoundOutput();
    if (output_->start(mixRate_, outputChannels_)) return true;
  }
  output_.reset();
  setError(EngineError::kOutputStartFailed);
  return false;
}

bool SoundEngine::startMixer() {
  mixerType_ = selectMixer(requestedMixer_, cpu_);
  mixer_ = mixerDescriptor(mixerType_);
  if (!mixer_ || !mixer_->mixChannel) {
    mixer_ = nullptr;
    setError(EngineError::kOutputStartFailed);
    return false;
  }
  blockLength_ = std::max(256, mixRate_ * 25 / 1000);
  const std::int32_t samples = bufferLengthMs_ * mixRate_ / 1000;
  bufferSamples_ = std::max(2 * blockLength_, samples / blockLength_ * blockLength_);
  rampLength_ = std::max(1, mixRate_ * 128 / 44100);

  const std::size_t bytes = static_cast<std::size_t>(bufferSamples_) * static_cast<std::size_t>(mixValueBytes());
  mixStorage_.reset(new (std::nothrow) std::uint8_t[bytes + kMixAlignmentSpare]);
  if (!mixStorage_) {
    setError(EngineError::kOutOfMemory);
    return false;
  }
  const auto base = reinterpret_cast<std::uintptr_t>(mixStorage_.get());
  mixBuffer_ = mixStorage_.get() + ((16 - base % 16) % 16);
  mixer_->clear(mixBuffer_, bufferSamples_);

  chain_.create(
      [this](void* buf, std::int32_t, std::int32_t n) {
        mixer_->clear(buf, n);
        return buf;
      },
      dsp::kClear, true);
  if (synchronous_) {
    const std::int32_t blockTime = static_cast<std::int32_t>(std::int64_t{blockLength_} * 256000 / mixRate_);
    chain_.create(
        [this, blockTime](void* buf, std::int32_t, std::int32_t) {
          runStreamService(blockTime);
          return buf;
        },
        dsp::kStreamFill, true);
  }
  if (flags_ & initflag::kLevels) {
    chain_.create([this](void* buf, std::int32_t, std::int32_t n) { return levelsUnit(buf, n); }, dsp::kClear, true);
  }
  chain_.create(
      [this](void* buf, std::int32_t, std::int32_t n) {
        std::lock_guard lock(channels_.mixerLock());
        mixList(*mixer_, buf, channels_.effectsList(), n, rampLength_);
        return buf;
      },
      dsp::kSoundEffects, true);
  musicUnit_ = chain_.create([](void* buf, std::int32_t, std::int32_t) { return buf; }, dsp::kMusic, true);
  setMusicMixer(musicMixer_);
  chain_.create([this](void* buf, std::int32_t pos, std::int32_t n) { return outputUnit(buf, pos, n); }, dsp::kOutput,
                true);
  return true;
}

bool SoundEngine::createPrimaryBuffer() {
  std::uint32_t m = mode::kLoopNormal | mode::k16Bits | (outputChannels_ == 1 ? mode::kMono : mode::kStereo) |
                    mode::kOneAtATime | mode::kOutputOwned | mode::kKeepOutputOwned;
  if (flags_ & initflag::kPrimaryModeFlag) m |= mode::kOutputOwnedRequest;
  m = SampleStore::normaliseMode(m, false, output_->givesBuffers());
  Sample* s = samples_->place(kSlotOutside, m);
  primaryData_ = output_->createBuffer(bufferSamples_);
  SampleStore::useOutputBuffer(*s, reinterpret_cast<std::uint8_t*>(primaryData_),
                               static_cast<std::uint32_t>(bufferSamples_));
  s->loopStart = 0;
  s->loopLength = s->length;
  s->defaultFrequency = mixRate_;
  s->defaultVolume = 255;
  s->defaultPan = kNoPan;
  s->defaultPriority = 255;
  s->name = kPrimaryName;
  primarySample_ = s;
  return true;
}

void SoundEngine::close() {
  if (clockListener_) platform::removeClockListener(std::exchange(clockListener_, 0));
  if (initialised()) {
    enter();
    // What the clock says has been played reaches the output before it closes.
    if (output_ && output_->clockPaced()) pump();
  }
  channels_.silenceAll();
  stopStreamThread();
  stopMixingThread();
  stopMixer();
  if (Channel* primary = channels_.primary()) channels_.silence(*primary);
  initialised_.store(false, std::memory_order_release);
  musicMixer_ = nullptr;

  primarySample_ = nullptr;
  primaryData_ = nullptr;
  samples_.reset();
  if (output_) output_->stop();
  output_.reset();
  channels_.clear();
  synchronous_ = false;
}

void SoundEngine::stopMixer() {
  chain_.clear();
  musicUnit_ = nullptr;
  mixer_ = nullptr;
  mixStorage_.reset();
  mixBuffer_ = nullptr;
}

std::int32_t SoundEngine::mixValueBytes() const { return mixer_ ? mixer_->bitsPerValue / 8 * 2 : 4; }

}  // namespace korvo::sound
