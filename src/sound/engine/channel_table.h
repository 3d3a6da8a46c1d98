// The engine's channels: the software channels samples play on, the extra ones kept beside
// them, and the primary channel that plays the output's mix buffer; channel handles, free
// channel allocation with stealing, the master volume and pan separation applied before the
// channel operations see a value, and the mixer lock. Who takes the mixer lock, and from
// which thread, is stated with the engine's other locks in sound_engine.h.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "sound/engine/channel.h"

namespace korvo::sound {

// Channel handle values with a meaning of their own.
inline constexpr std::int32_t kFreeChannel = -1;
inline constexpr std::int32_t kAllChannels = -3;
inline constexpr std::int32_t kPrimaryChannel = -1000;

class ChannelTable {
 public:
  ChannelTable();
  ~ChannelTable();
  ChannelTable(const ChannelTable&) = delete;
  ChannelTable& operator=(const ChannelTable&) = delete;

  // Makes software + extra idle channels and the primary channel at mixRate.
  void create(std::int32_t software, std::int32_t extra, std::int32_t mixRate);
  // Silences every channel (primary included) but keeps the records.
  void silenceAll();
  // Drops the records and empties the lists (the software count stays as configured).
  void clear();

  std::recursive_mutex& mixerLock() const { return mixerLock_; }
  std::int32_t mixRate() const { return mixRate_; }
  std::int32_t softwareCount() const { return softwareCount_; }
  // The software channel with index i (0 <= i < softwareCount()).
  Channel& software(std::int32_t i) { return *channels_[static_cast<std::size_t>(i)]; }
  Channel* primary() const { return primary_.get(); }
  ChannelOps* ops() const { return ops_.get(); }
  MixList& idleList() { return idleList_; }
  MixList& effectsList() { return effectsList_; }

  void setMasterVolume(std::int32_t volume);
  std::int32_t masterVolume() const { return masterVolume_; }
  void setPanSeparation(float separation) { panSeparation_ = separation; }

  // The record behind a handle (null and code 14 when it does not resolve).
  Channel* resolve(std::int32_t handle);
  // Applies fn to the channel(s) of a handle (every software channel for kAllChannels);
  // false when the handle does not resolve, else fn's value (the last one's for all).
  template <typename Fn>
  bool forHandle(std::int32_t handle, Fn fn) {
    if (handle == kAllChannels) {
      bool result = false;
      for (std::int32_t i = 0; i < softwareCount_; ++i) result = fn(software(i));
      return result;
    }
    Channel* c = resolve(handle);
    return c && fn(*c);
  }

  // Starts sample on channel (kFreeChannel: a free one, else the lowest priority one) in
  // list (null: the sound-effects list, or the primary list for the primary channel); the
  // new handle, or -1 with the engine's code.
  std::int32_t play(std::int32_t channel, Sample* sample, bool paused, MixList* list);
  // How many channels play sample now.
  std::int32_t countPlaying(const Sample* sample) const;
  // Stops every channel that plays sample.
  void silenceSample(const Sample* sample);

  // Stops the channel and takes its sample away.
  void silence(Channel& c);
  // Volume 0..255 through the master volume (unless the channel has absolute volume).
  void applyVolume(Channel& c, std::int32_t volume);
  // Pan 0..255 (or kNoPan) through the pan separation.
  void applyPan(Channel& c, std::int32_t pan);

  // Song voices: reserves an idle software channel with absolute volume; its index, or -1
  // when none is left.
  std::int32_t reserveVoice();
  // Stops the voice's channel and gives it back to free allocation.
  void releaseVoice(std::int32_t channel);

 private:
  Channel* allocate(Sample* sample);
  void take(Channel& c, Sample* sample);

  mutable std::recursive_mutex mixerLock_;
  std::unique_ptr<ChannelOps> ops_;
  std::vector<std::unique_ptr<Channel>> channels_;
  std::int32_t softwareCount_ = 0;
  std::int32_t mixRate_ = 44100;
  std::unique_ptr<Channel> primary_;
  MixList idleList_;
  MixList effectsList_;
  MixList primaryList_;
  std::int32_t masterVolume_ = 255;
  float panSeparation_ = 1.0f;
};

}  // namespace korvo::sound
