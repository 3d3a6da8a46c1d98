// The engine's channel operations: the entry checks, then the channel table does the work.
#include <algorithm>

#include "sound/engine/mixer.h"
#include "sound/engine/output_driver.h"
#include "sound/engine/sample_store.h"
#include "sound/engine/sound_engine.h"

namespace korvo::sound {

template <typename Fn>
bool SoundEngine::forChannels(std::int32_t handle, Fn fn) {
  enter();
  if (!initialised()) {
    setError(EngineError::kNotStarted);
    return false;
  }
  return channels_.forHandle(handle, fn);
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

std::int32_t SoundEngine::playSample(std::int32_t channel, Sample* sample, bool paused, MixList* list) {
  enter();
  if (!initialised()) {
    setError(EngineError::kNotStarted);
    return -1;
  }
  // Held from the sample check on: song voices start notes from the mixing thread while the
  // program's thread fills and empties the sample table.
  std::lock_guard lock(channels_.mixerLock());
  // Output-owned buffers (the primary mix buffer) have no guard room and play only on the
  // primary channel.
  if (!sample || !samples_->owns(sample) || ((sample->mode & mode::kOutputOwned) && channel != kPrimaryChannel)) {
    setError(EngineError::kInvalidArgument);
    return -1;
  }
  return channels_.play(channel, sample, paused, list);
}

bool SoundEngine::stopChannel(std::int32_t channel) {
  return forChannels(channel, [this](Channel& c) {
    channels_.silence(c);
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
    channels_.applyVolume(c, volume);
    return true;
  });
}

bool SoundEngine::setChannelPan(std::int32_t channel, std::int32_t pan) {
  return forChannels(channel, [this, pan](Channel& c) {
    channels_.applyPan(c, pan);
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
      channels_.applyVolume(c, c.volume);
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
    if (&c == channels_.primary()) return output_->playPosition() % bufferSamples_;
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

void SoundEngine::releaseVoiceChannel(std::int32_t channel) {
  stopChannel(channel);
  channels_.releaseVoice(channel);
}

void SoundEngine::setVoicePan(std::int32_t channel, std::int32_t pan) {
  if (Channel* c = channels_.resolve(channel)) c->ops->setPan(*c, pan);
}

void SoundEngine::setVoiceFilter(std::int32_t channel, float cutoffHz, float resonanceDb) {
  Channel* c = channels_.resolve(channel);
  if (!c) return;
  if (cutoffHz <= 0.0f) c->filter.disable();
  else c->filter.set(cutoffHz, resonanceDb, mixRate_);
}

bool SoundEngine::voicePlaysBackward(std::int32_t channel) {
  const Channel* c = channels_.resolve(channel);
  return c && c->backward.load(std::memory_order_relaxed);
}

bool SoundEngine::voicePlaying(std::int32_t channel) {
  const Channel* c = channels_.resolve(channel);
  return c && c->sample.load(std::memory_order_relaxed) != nullptr;
}

void SoundEngine::mixVoice(void* buffer, std::int32_t channel, std::int32_t samples) {
  Channel* c = channels_.resolve(channel);
  if (c && mixer_) mixer_->mixChannel(buffer, *c, samples, rampLength_);
}

}  // namespace korvo::sound
