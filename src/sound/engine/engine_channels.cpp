// Channel handles and the per-channel operations of the engine: resolution of handles,
// allocation with stealing, starting, and the volume and pan scaling applied before the
// channel operations see a value.
#include <algorithm>
#include <cmath>

#include "sound/engine/output_driver.h"
#include "sound/engine/sample_store.h"
#include "sound/engine/sound_engine.h"

namespace korvo::sound {
namespace {

constexpr std::int32_t kIndexMask = 0xFFF;
constexpr std::int32_t kSerialShift = 12;
constexpr std::int32_t kSerialMask = 0x7FFFF;

}  // namespace

Channel* SoundEngine::resolveChannel(std::int32_t handle) {
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

template <typename Fn>
bool SoundEngine::forChannels(std::int32_t handle, Fn fn) {
  enter();
  if (!initialised()) {
    setError(EngineError::kNotStarted);
    return false;
  }
  if (handle == kAllChannels) {
    bool result = false;
    for (std::int32_t i = 0; i < softwareCount_; ++i) result = fn(*channels_[static_cast<std::size_t>(i)]);
    return result;
  }
  Channel* c = resolveChannel(handle);
  return c && fn(*c);
}

template <typename T, typename Fn>
T SoundEngine::readChannel(std::int32_t handle, T fallback, Fn fn) {
  T out = fallback;
  forChannels(handle, [&out, &fn](Channel& c) {
    out = fn(c);
    return true;
  });
  return out;
}

void SoundEngine::applyVolume(Channel& c, std::int32_t volume) {
  c.volume = std::clamp(volume, 0, 255);
  if (c.hasFlag(chflag::kMuted)) return;
  const std::int32_t scaled = c.hasFlag(chflag::kAbsoluteVolume) ? c.volume : c.volume * masterVolume_ / 255;
  c.ops->setVolume(c, scaled);
}

void SoundEngine::applyPan(Channel& c, std::int32_t pan) {
  if (pan != kNoPan) {
    pan = std::clamp(pan, 0, 255);
    pan = std::clamp(static_cast<std::int32_t>(std::trunc((pan - 128) * panSeparation_ + 128)), 0, 255);
  }
  c.ops->setPan(c, pan);
}

void SoundEngine::takeChannel(Channel& c, Sample* sample) {
  c.ops->stop(c);
  c.ops->setSample(c, sample);
  c.volumeScale = 255;
  c.priority = sample->defaultPriority;
  c.loopMode = sample->loopMode();
  c.ops->setFrequency(c, sample->defaultFrequency);
  applyVolume(c, sample->defaultVolume);
  applyPan(c, sample->defaultPan);
}

Channel* SoundEngine::allocateChannel(Sample* sample) {
  if (sample->mode & mode::kOneAtATime) {
    for (std::int32_t i = 0; i < softwareCount_; ++i) {
      Channel& c = *channels_[static_cast<std::size_t>(i)];
      if (c.sample.load(std::memory_order_relaxed) == sample) {
        silence(c);
        break;
      }
    }
  }
  Channel* lowest = nullptr;
  std::int32_t lowestPriority = 256;
  for (std::int32_t i = 0; i < softwareCount_; ++i) {
    Channel& c = *channels_[static_cast<std::size_t>(i)];
    if (c.hasFlag(chflag::kReserved)) continue;
    if (!c.ops->isPlaying(c)) return &c;
    if (c.priority < lowestPriority) {
      lowestPriority = c.priority;
      lowest = &c;
    }
  }
  return lowest;
}

std::int32_t SoundEngine::playSample(std::int32_t channel, Sample* sample, bool paused, MixList* list) {
  enter();
  if (!initialised()) {
    setError(EngineError::kNotStarted);
    return -1;
  }
  // Held from the sample check on: song voices start notes from the mixing thread while the
  // program's thread fills and empties the sample table.
  std::lock_guard lock(mixerLock_);
  // Output-owned buffers (the primary mix buffer) have no guard room and play only on the
  // primary channel.
  if (!sample || !samples_->owns(sample) ||
      ((sample->mode & mode::kOutputOwned) && channel != kPrimaryChannel)) {
    setError(EngineError::kInvalidArgument);
    return -1;
  }
  if (sample->maxPlaybacks >= 0) {
    const auto playing = std::count_if(channels_.begin(), channels_.end(), [sample](const auto& c) {
      return c->sample.load(std::memory_order_relaxed) == sample;
    });
    if (playing >= sample->maxPlaybacks) {
      setError(EngineError::kNoChannel);
      return -1;
    }
  }
  Channel* c = nullptr;
  if (channel == kFreeChannel) {
    c = allocateChannel(sample);
    if (!c) {
      setError(EngineError::kNoChannel);
      return -1;
    }
  } else {
    c = resolveChannel(channel);
    if (!c) return -1;
  }
  takeChannel(*c, sample);
  c->setFlag(chflag::kPaused, true);
  MixList& into = list ? *list : (c == primary_.get() ? primaryList_ : effectsList_);
  if (!c->ops->start(*c, into)) {
    setError(EngineError::kStartFailed);
    return -1;
  }
  std::int32_t handle = kPrimaryChannel;
  if (c != primary_.get()) {
    handle = c->index | (c->serial << 12);
    c->handle.store(handle, std::memory_order_relaxed);
    if (++c->serial > kSerialMask) c->serial = 1;
  }
  c->setFlag(chflag::kPaused, paused);
  return handle;
}

bool SoundEngine::stopChannel(std::int32_t channel) {
  return forChannels(channel, [this](Channel& c) {
    silence(c);
    return true;
  });
}

bool SoundEngine::setChannelPaused(std::int32_t channel, bool paused) {
  return forChannels(channel, [paused](Channel& c) {
    c.setFlag(chflag::kPaused, paused);
    return true;
  });
}

bool SoundEngine::setChannelFrequency(std::int32_t channel, std::int32_t hz) {
  return forChannels(channel, [hz](Channel& c) {
    c.ops->setFrequency(c, hz);
    return true;
  });
}

bool SoundEngine::setChannelVolume(std::int32_t channel, std::int32_t volume) {
  return forChannels(channel, [this, volume](Channel& c) {
    applyVolume(c, volume);
    return true;
  });
}

bool SoundEngine::setChannelPan(std::int32_t channel, std::int32_t pan) {
  return forChannels(channel, [this, pan](Channel& c) {
    applyPan(c, pan);
    return true;
  });
}

bool SoundEngine::setChannelSurround(std::int32_t channel, bool on) {
  return forChannels(channel, [on](Channel& c) {
    c.setFlag(chflag::kSurround, on);
    return true;
  });
}

bool SoundEngine::setChannelMute(std::int32_t channel, bool on) {
  return forChannels(channel, [this, on](Channel& c) {
    if (on) {
      c.setFlag(chflag::kMuted, true);
      c.ops->setVolume(c, 0);
    } else {
      c.setFlag(chflag::kMuted, false);
      applyVolume(c, c.volume);
    }
    return true;
  });
}

bool SoundEngine::setChannelReserved(std::int32_t channel, bool on) {
  return forChannels(channel, [on](Channel& c) {
    c.setFlag(chflag::kReserved, on);
    return true;
  });
}

bool SoundEngine::setChannelPosition(std::int32_t channel, std::uint32_t position) {
  return forChannels(channel, [position](Channel& c) { return c.ops->setPosition(c, position); });
}

bool SoundEngine::isChannelPlaying(std::int32_t channel) {
  return forChannels(channel, [](Channel& c) { return c.ops->isPlaying(c); });
}

bool SoundEngine::isChannelPaused(std::int32_t channel) {
  return forChannels(channel, [](Channel& c) { return c.hasFlag(chflag::kPaused); });
}

std::int32_t SoundEngine::channelFrequency(std::int32_t channel) {
  return readChannel<std::int32_t>(channel, -1, [](Channel& c) { return c.frequency; });
}

std::int32_t SoundEngine::channelVolume(std::int32_t channel) {
  return readChannel<std::int32_t>(channel, -1, [](Channel& c) { return c.volume; });
}

std::int32_t SoundEngine::channelPan(std::int32_t channel) {
  return readChannel<std::int32_t>(channel, -1, [](Channel& c) { return c.pan; });
}

std::int64_t SoundEngine::channelPosition(std::int32_t channel) {
  return readChannel<std::int64_t>(channel, -1, [this](Channel& c) -> std::int64_t {
    if (&c == primary_.get()) return output_->playPosition() % bufferSamples_;
    return c.ops->position(c);
  });
}

bool SoundEngine::channelLevels(std::int32_t channel, float& left, float& right) {
  return forChannels(channel, [&left, &right](Channel& c) {
    left = std::min(1.0f, static_cast<float>(c.peakLeft.load(std::memory_order_relaxed)) / 65536.0f);
    right = std::min(1.0f, static_cast<float>(c.peakRight.load(std::memory_order_relaxed)) / 65536.0f);
    return true;
  });
}

Sample* SoundEngine::channelSample(std::int32_t channel) {
  return readChannel<Sample*>(channel, nullptr, [](Channel& c) { return c.sample.load(std::memory_order_acquire); });
}

}  // namespace korvo::sound
