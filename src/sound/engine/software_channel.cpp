// Software channel operations: what a channel does when started, stopped or changed.
#include "sound/engine/software_channel.h"

#include <algorithm>
#include <mutex>

#include "sound/engine/channel_table.h"
#include "sound/engine/engine_error.h"

namespace korvo::sound {

void MixList::pushFront(Channel& c) {
  c.prev = nullptr;
  c.next = head_;
  if (head_) head_->prev = &c;
  head_ = &c;
  c.list = this;
}

void MixList::remove(Channel& c) {
  if (c.list != this) return;
  if (c.prev) c.prev->next = c.next;
  else head_ = c.next;
  if (c.next) c.next->prev = c.prev;
  c.prev = c.next = nullptr;
  c.list = nullptr;
}

const std::array<std::uint8_t, 256>& panGainTable() {
  static const std::array<std::uint8_t, 256> kTable = [] {
    std::array<std::uint8_t, 256> t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
      // floor(sqrt(256 * i)) in integers, so no rounding of the root can move an entry.
      std::uint32_t r = 0;
      while ((r + 1) * (r + 1) <= 256 * i) ++r;
      t[i] = static_cast<std::uint8_t>(std::min<std::uint32_t>(r, 255));
    }
    return t;
  }();
  return kTable;
}

std::uint32_t computeTargets(std::int32_t volume, std::int32_t scale, std::int32_t pan) {
  if (pan == kNoPan) return Channel::packTargets(volume, volume);
  const auto& g = panGainTable();
  const std::int32_t s = volume * scale / 255;
  // The centre is balanced: both sides take G[128] there, so a centred sound has the same
  // level left and right.
  const std::int32_t leftIndex = pan == 128 ? 128 : 255 - pan;
  const std::uint32_t left = static_cast<std::uint32_t>(s * g[leftIndex] / 255);
  const std::uint32_t right = static_cast<std::uint32_t>(s * g[pan] / 255);
  return Channel::packTargets(left, right);
}

std::uint64_t frequencyIncrement(std::uint32_t hz, std::uint32_t mixRate) {
  const std::uint64_t whole = hz / mixRate;
  const std::uint64_t frac = (static_cast<std::uint64_t>(hz % mixRate) << 32) / mixRate;
  return (whole << 32) | frac;
}

void SoftwareChannelOps::setSample(Channel& c, Sample* sample) {
  std::lock_guard lock(table_.mixerLock());
  c.sample.store(sample, std::memory_order_release);
}

bool SoftwareChannelOps::start(Channel& c, MixList& list) {
  std::lock_guard lock(table_.mixerLock());
  Sample* s = c.sample.load(std::memory_order_relaxed);
  if (s && c.startOffset >= s->loopStart + s->loopLength) c.startOffset = 0;
  c.position = static_cast<std::int64_t>(c.startOffset) << 32;
  c.startOffset = 0;
  c.backward.store(false, std::memory_order_relaxed);
  c.rampLeft = c.rampRight = 0;
  c.rampStepLeft = c.rampStepRight = 0;
  c.rampSamplesLeft = 0;
  c.filter.clearHistory();
  if (!c.hasFlag(chflag::kInList)) {
    if (c.list) c.list->remove(c);
    list.pushFront(c);
    c.setFlag(chflag::kInList, true);
  }
  return true;
}

void SoftwareChannelOps::stop(Channel& c) {
  std::lock_guard lock(table_.mixerLock());
  if (c.list) c.list->remove(c);
  table_.idleList().pushFront(c);
  c.position = 0;
  c.setFlag(chflag::kInList, false);
}

void SoftwareChannelOps::setFrequency(Channel& c, std::int32_t hz) {
  hz = std::clamp(hz, -kMaxFrequency, kMaxFrequency);
  if (hz > -100 && hz < 0) hz = -100;
  if (hz >= 0 && hz < 100) hz = 100;
  c.frequency = hz;
  const bool backward = hz < 0;
  c.increment.store(
      frequencyIncrement(static_cast<std::uint32_t>(backward ? -hz : hz), static_cast<std::uint32_t>(table_.mixRate())),
      std::memory_order_relaxed);
  c.backward.store(backward, std::memory_order_relaxed);
}

void SoftwareChannelOps::setVolume(Channel& c, std::int32_t volume) {
  if (!c.hasFlag(chflag::kMuted)) c.mixVolume = volume;
  c.targets.store(computeTargets(volume, c.volumeScale, c.pan), std::memory_order_relaxed);
}

void SoftwareChannelOps::setPan(Channel& c, std::int32_t pan) {
  c.pan = pan;
  if (c.hasFlag(chflag::kMuted)) return;
  c.targets.store(computeTargets(c.mixVolume, c.volumeScale, pan), std::memory_order_relaxed);
}

bool SoftwareChannelOps::setPosition(Channel& c, std::uint32_t position) {
  std::lock_guard lock(table_.mixerLock());
  Sample* s = c.sample.load(std::memory_order_relaxed);
  if (!s || position >= s->length) {
    setError(EngineError::kInvalidArgument);
    return false;
  }
  c.position = static_cast<std::int64_t>(position) << 32;
  return true;
}

std::uint32_t SoftwareChannelOps::position(const Channel& c) const {
  std::lock_guard lock(table_.mixerLock());
  return static_cast<std::uint32_t>(c.position >> 32);
}

bool SoftwareChannelOps::isPlaying(const Channel& c) const {
  return c.sample.load(std::memory_order_acquire) != nullptr;
}

}  // namespace korvo::sound
