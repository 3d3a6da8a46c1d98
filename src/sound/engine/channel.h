// The software channel record, the mix lists that hold playing channels, and the channel
// operations. The mixing thread reads channels while the program's thread changes them:
// the sample and the list membership change only under the mixer lock; frequency, volume,
// pan and flags are single atomic stores picked up by the next sub-block.
#pragma once

#include <atomic>
#include <cstdint>

#include "sound/engine/channel_filter.h"
#include "sound/engine/sample.h"

namespace korvo::sound {

class Channel;
class MixList;

// Channel flag bits.
namespace chflag {
inline constexpr std::uint32_t kAbsoluteVolume = 0x1;  // not scaled by the master volume
inline constexpr std::uint32_t kMuted = 0x2;
inline constexpr std::uint32_t kSurround = 0x4;  // left phase inverted
inline constexpr std::uint32_t kReserved = 0x8;  // kept out of free-channel allocation
inline constexpr std::uint32_t kPaused = 0x10;
inline constexpr std::uint32_t kInList = 0x20;
}  // namespace chflag

// Pan value meaning "no panning": both sides at the full volume.
inline constexpr int kNoPan = -1;

// Per-channel operations; every software channel gets the engine's software table, other
// channel kinds (streams) may bring their own.
class ChannelOps {
 public:
  virtual ~ChannelOps() = default;
  // Under the mixer lock: current sample := sample.
  virtual void setSample(Channel& c, Sample* sample) = 0;
  // Under the mixer lock: rewinds to the start offset, fades in from silence, joins list.
  virtual bool start(Channel& c, MixList& list) = 0;
  // Under the mixer lock: leaves its mix list for the engine's idle list.
  virtual void stop(Channel& c) = 0;
  virtual void setFrequency(Channel& c, std::int32_t hz) = 0;
  virtual void setVolume(Channel& c, std::int32_t volume) = 0;
  virtual void setPan(Channel& c, std::int32_t pan) = 0;
  // False (code 14) when position is not below the sample's length.
  virtual bool setPosition(Channel& c, std::uint32_t position) = 0;
  virtual std::uint32_t position(const Channel& c) const = 0;
  virtual bool isPlaying(const Channel& c) const = 0;
};

// An intrusive doubly linked list of channels (a mix list or the idle list).
class MixList {
 public:
  Channel* head() const { return head_; }
  void pushFront(Channel& c);
  void remove(Channel& c);
  bool empty() const { return head_ == nullptr; }

 private:
  Channel* head_ = nullptr;
};

class Channel {
 public:
  // Links into the list the channel is in (owned by MixList).
  Channel* prev = nullptr;
  Channel* next = nullptr;
  MixList* list = nullptr;

  std::int32_t index = 0;
  // Written by whichever thread starts the channel (song voices start on the mixing thread),
  // read by every handle lookup.
  std::atomic<std::int32_t> handle{0};
  std::int32_t serial = 1;

  // As last set, before master scaling (program's thread only).
  std::int32_t volume = 255;
  std::int32_t frequency = 44100;
  std::int32_t pan = 128;
  // The volume last handed to the channel operation (after master scaling).
  std::int32_t mixVolume = 255;
  std::int32_t priority = 0;
  std::uint32_t loopMode = mode::kLoopOff;
  std::atomic<std::uint32_t> flags{0};

  // The sample played; null when idle. Written under the mixer lock.
  std::atomic<Sample*> sample{nullptr};
  std::uint32_t startOffset = 0;

  // Position as signed 32.32 fixed point, and the step per output sample (frequency / mix
  // rate, 32.32).
  std::int64_t position = 0;
  std::atomic<std::uint64_t> increment{0};
  // True while playing backward (set by the frequency's sign, flipped by bidirectional loops).
  std::atomic<bool> backward{false};

  // Target gains 0..255, packed left | right << 16 so that a pair is read consistently.
  std::atomic<std::uint32_t> targets{0};
  std::int32_t volumeScale = 255;

  // Volume ramp (mixing thread): current gains in 8.8, steps per sample, the targets the ramp
  // is heading for, and the samples it still runs.
  std::int32_t rampLeft = 0;
  std::int32_t rampRight = 0;
  std::int32_t rampStepLeft = 0;
  std::int32_t rampStepRight = 0;
  std::uint32_t rampTargets = 0;
  std::int32_t rampSamplesLeft = 0;

  // Off unless the mix list's owner turns it on (song voices under a resonant filter).
  ChannelFilter filter;

  // Peak levels 0..65535 of the last mixed block (only kept with init flag 8).
  std::atomic<std::uint32_t> peakLeft{0};
  std::atomic<std::uint32_t> peakRight{0};

  ChannelOps* ops = nullptr;

  bool hasFlag(std::uint32_t f) const { return (flags.load(std::memory_order_relaxed) & f) != 0; }
  void setFlag(std::uint32_t f, bool on) {
    if (on) flags.fetch_or(f, std::memory_order_relaxed);
    else flags.fetch_and(~f, std::memory_order_relaxed);
  }
  static std::uint32_t packTargets(std::uint32_t left, std::uint32_t right) { return left | (right << 16); }
  static std::uint32_t targetLeft(std::uint32_t packed) { return packed & 0xFFFF; }
  static std::uint32_t targetRight(std::uint32_t packed) { return packed >> 16; }
};

}  // namespace korvo::sound
