// Engine start-up and shutdown, the output choice, and the mixer's start and stop.
#include "sound/engine/sound_engine.h"

#include <algorithm>
#include <new>

#include "backend/audio_device.h"
#include "backend/clock.h"
#include "sound/engine/mixer.h"
#include "sound/engine/output_driver.h"
#include "sound/engine/sample_store.h"
#include "sound/engine/software_channel.h"

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
  masterVolume_ = std::clamp(volume, 0, 255);
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
  softwareCount_ = softwareChannels;
  extraCount_ = kExtraChannels;
  mixRate_ = mixRate;
  flags_ = flags;
  masterVolume_ = 255;

  if (!startOutput()) return false;
  bufferLengthMs_ = 50 * 2;
  if (!startMixer() || !createChannels() || !createPrimaryBuffer()) {
    close();
    return false;
  }

  initialised_.store(true, std::memory_order_release);
  playSample(kPrimaryChannel, primarySample_);
  primary_->setFlag(chflag::kReserved, true);

  synchronous_ = output_->clockPaced() && platform::clock().isVirtual();
  playedFrames_ = 0;
  blockCursor_ = 0;
  if (!synchronous_) startMixingThread();
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

  createDspUnit([this](void* buf, std::int32_t, std::int32_t n) {
    mixer_->clear(buf, n);
    return buf;
  }, dsp::kClear, true);
  if (flags_ & initflag::kLevels) {
    createDspUnit([this](void* buf, std::int32_t, std::int32_t n) { return levelsUnit(buf, n); }, dsp::kClear, true);
  }
  createDspUnit([this](void* buf, std::int32_t, std::int32_t n) {
    std::lock_guard lock(mixerLock_);
    mixList(*mixer_, buf, effectsList_, n, rampLength_);
    return buf;
  }, dsp::kSoundEffects, true);
  createDspUnit([this](void* buf, std::int32_t, std::int32_t n) {
    if (musicMixer_) musicMixer_(buf, n);
    return buf;
  }, dsp::kMusic, true);
  createDspUnit([this](void* buf, std::int32_t pos, std::int32_t n) { return outputUnit(buf, pos, n); },
                dsp::kOutput, true);
  return true;
}

bool SoundEngine::createChannels() {
  softwareOps_ = std::make_unique<SoftwareChannelOps>(*this);
  const std::int32_t total = softwareCount_ + extraCount_;
  channels_.clear();
  channels_.reserve(static_cast<std::size_t>(total));
  for (std::int32_t i = 0; i < total; ++i) {
    auto c = std::make_unique<Channel>();
    c->index = i;
    c->ops = softwareOps_.get();
    c->ops->stop(*c);
    c->ops->setVolume(*c, 255);
    c->ops->setFrequency(*c, 44100);
    c->ops->setPan(*c, 128);
    channels_.push_back(std::move(c));
  }
  primary_ = std::make_unique<Channel>();
  primary_->index = kPrimaryChannel;
  primary_->ops = softwareOps_.get();
  primary_->ops->stop(*primary_);
  primary_->ops->setVolume(*primary_, 255);
  primary_->ops->setFrequency(*primary_, mixRate_);
  primary_->ops->setPan(*primary_, kNoPan);
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
  if (initialised()) {
    enter();
    // What the clock says has been played reaches the output before it closes.
    if (output_ && output_->clockPaced()) pump();
  }
  {
    std::lock_guard lock(mixerLock_);
    for (auto& c : channels_) silence(*c);
  }
  stopMixingThread();
  stopMixer();
  if (primary_) silence(*primary_);
  initialised_.store(false, std::memory_order_release);
  musicMixer_ = nullptr;

  primarySample_ = nullptr;
  primaryData_ = nullptr;
  samples_.reset();
  if (output_) output_->stop();
  output_.reset();
  channels_.clear();
  primary_.reset();
  softwareOps_.reset();
  idleList_ = MixList{};
  effectsList_ = MixList{};
  primaryList_ = MixList{};
  synchronous_ = false;
}

void SoundEngine::silence(Channel& c) {
  std::lock_guard lock(mixerLock_);
  c.ops->stop(c);
  c.ops->setSample(c, nullptr);
  c.priority = 0;
}

void SoundEngine::stopMixer() {
  waitDspIdle();
  {
    std::lock_guard lock(chainMutex_);
    units_.clear();
  }
  mixer_ = nullptr;
  mixStorage_.reset();
  mixBuffer_ = nullptr;
}

std::int32_t SoundEngine::mixValueBytes() const {
  return mixer_ ? mixer_->bitsPerValue / 8 * 2 : 4;
}

}  // namespace korvo::sound
