// Channel records, handles, allocation with stealing, and volume and pan scaling.
#include "sound/engine/channel_table.h"

#include <algorithm>
#include <cmath>

#include "sound/engine/engine_error.h"
#include "sound/engine/software_channel.h"

namespace korvo::sound {
namespace {

constexpr std::int32_t kIndexMask = 0xFFF;
constexpr std::int32_t kSerialShift = 12;
constexpr std::int32_t kSerialMask = 0x7FFFF;

}  // namespace

ChannelTable::ChannelTable() = default;

ChannelTable::~ChannelTable() = default;

void ChannelTable::create(std::int32_t software, std::int32_t extra, std::int32_t mixRate) {
  softwareCount_ = software;
  mixRate_ = mixRate;
  ops_ = std::make_unique<SoftwareChannelOps>(*this);
  const std::int32_t total = software + extra;
  channels_.clear();
  channels_.reserve(static_cast<std::size_t>(total));
  for (std::int32_t i = 0; i < total; ++i) {
    auto c = std::make_unique<Channel>();
    c->index = i;
    c->ops = ops_.get();
    c->ops->stop(*c);
    c->ops->setVolume(*c, 255);
    c->ops->setFrequency(*c, 44100);
    c->ops->setPan(*c, 128);
    channels_.push_back(std::move(c));
  }
  primary_ = std::make_unique<Channel>();
  primary_->index = kPrimaryChannel;
  primary_->ops = ops_.get();
  primary_->ops->stop(*primary_);
  primary_->ops->setVolume(*primary_, 255);
  primary_->ops->setFrequency(*primary_, mixRate);
  primary_->ops->setPan(*primary_, kNoPan);
}

void ChannelTable::silenceAll() {
  std::lock_guard lock(mixerLock_);
  for (auto& c : channels_) silence(*c);
}

void ChannelTable::clear() {
  channels_.clear();
  primary_.reset();
  ops_.reset();
  idleList_ = MixList{};
  effectsList_ = MixList{};
  primaryList_ = MixList{};
}

void ChannelTable::setMasterVolume(std::int32_t volume) { masterVolume_ = std::clamp(volume, 0, 255); }

Channel* ChannelTable::resolve(std::int32_t handle) {
  if ((handle & 0xFFFF) == (kPrimaryChannel & 0xFFFF)) {
    if (primary_) return primary_.get();
  } else if (handle >= 0) {
    const std::int32_t index = handle & kIndexMask;
    const std::int32_t serial = (handle >> kSerialShift) & kSerialMask;
    if (index < static_cast<std::int32_t>(channels_.size())) {
      Channel& c = *channels_[static_cast<std::size_t>(index)];
      if (serial == 0 || c.handle.load(std::memory_order_relaxed) == handle) return &c;
    }
  }
  setError(EngineError::kInvalidArgument);
  return nullptr;
}

void ChannelTable::applyVolume(Channel& c, std::int32_t volume) {
  c.volume = std::clamp(volume, 0, 255);
  if (c.hasFlag(chflag::kMuted)) return;
  const std::int32_t scaled = c.hasFlag(chflag::kAbsoluteVolume) ? c.volume : c.volume * masterVolume_ / 255;
  c.ops->setVolume(c, scaled);
}

void ChannelTable::applyPan(Channel& c, std::int32_t pan) {
  if (pan != kNoPan) {
    pan = std::clamp(pan, 0, 255);
    pan = std::clamp(static_cast<std::int32_t>(std::trunc((pan - 128) * panSeparation_ + 128)), 0, 255);
  }
  c.ops->setPan(c, pan);
}

void ChannelTable::silence(Channel& c) {
  std::lock_guard lock(mixerLock_);
  c.ops->stop(c);
  c.ops->setSample(c, nullptr);
  c.priority = 0;
}

void ChannelTable::take(Channel& c, Sample* sample) {
  c.ops->stop(c);
  c.ops->setSample(c, sample);
  c.volumeScale = 255;
  c.priority = sample->defaultPriority;
  c.loopMode = sample->loopMode();
  c.ops->setFrequency(c, sample->defaultFrequency);
  applyVolume(c, sample->defaultVolume);
  applyPan(c, sample->defaultPan);
}

Channel* ChannelTable::allocate(Sample* sample) {
  if (sample->mode & mode::kOneAtATime) {
    for (std::int32_t i = 0; i < softwareCount_; ++i) {
      Channel& c = software(i);
      if (c.sample.load(std::memory_order_relaxed) == sample) {
        silence(c);
        break;
      }
    }
  }
  Channel* lowest = nullptr;
  std::int32_t lowestPriority = 256;
  for (std::int32_t i = 0; i < softwareCount_; ++i) {
    Channel& c = software(i);
    if (c.hasFlag(chflag::kReserved)) continue;
    if (!c.ops->isPlaying(c)) return &c;
    if (c.priority < lowestPriority) {
      lowestPriority = c.priority;
      lowest = &c;
    }
  }
  return lowest;
}

std::int32_t ChannelTable::countPlaying(const Sample* sample) const {
  return static_cast<std::int32_t>(std::count_if(channels_.begin(), channels_.end(), [sample](const auto& c) {
    return c->sample.load(std::memory_order_relaxed) == sample;
  }));
}

void ChannelTable::silenceSample(const Sample* sample) {
  std::lock_guard lock(mixerLock_);
  for (auto& c : channels_) {
    if (c->sample.load(std::memory_order_relaxed) == sample) silence(*c);
  }
}

std::int32_t ChannelTable::play(std::int32_t channel, Sample* sample, bool paused, MixList* list) {
  std::lock_guard lock(mixerLock_);
  if (sample->maxPlaybacks >= 0 && countPlaying(sample) >= sample->maxPlaybacks) {
    setError(EngineError::kNoChannel);
    return -1;
  }
  Channel* c = nullptr;
  if (channel == kFreeChannel) {
    c = allocate(sample);
    if (!c) {
      setError(EngineError::kNoChannel);
      return -1;
    }
  } else {
    c = resolve(channel);
    if (!c) return -1;
  }
  take(*c, sample);
  c->setFlag(chflag::kPaused, true);
  MixList& into = list ? *list : (c == primary_.get() ? primaryList_ : effectsList_);
  if (!c->ops->start(*c, into)) {
    setError(EngineError::kStartFailed);
    return -1;
  }
  std::int32_t handle = kPrimaryChannel;
  if (c != primary_.get()) {
    handle = c->index | (c->serial << kSerialShift);
    c->handle.store(handle, std::memory_order_relaxed);
    if (++c->serial > kSerialMask) c->serial = 1;
  }
  c->setFlag(chflag::kPaused, paused);
  return handle;
}

std::int32_t ChannelTable::reserveVoice() {
  std::lock_guard lock(mixerLock_);
  const auto records = static_cast<std::int32_t>(channels_.size());
  for (std::int32_t i = 0; i < std::min(softwareCount_, records); ++i) {
    Channel& c = software(i);
    if (c.hasFlag(chflag::kReserved) || c.ops->isPlaying(c)) continue;
    c.setFlag(chflag::kReserved, true);
    c.setFlag(chflag::kAbsoluteVolume, true);
    // A value handed out for a sound that played here before must not reach the song's
    // voice: the program would be changing it beside the mixing thread.
    c.handle.store(-1, std::memory_order_relaxed);
    return i;
  }
  return -1;
}

void ChannelTable::releaseVoice(std::int32_t channel) {
  std::lock_guard lock(mixerLock_);
  if (Channel* c = resolve(channel)) {
    c->setFlag(chflag::kReserved, false);
    c->setFlag(chflag::kAbsoluteVolume, false);
    c->filter.disable();
  }
}

}  // namespace korvo::sound
