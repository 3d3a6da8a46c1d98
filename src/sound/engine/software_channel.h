// The software channel operations and the pan law they use.
#pragma once

#include <array>
#include <cstdint>

#include "sound/engine/channel.h"

namespace korvo::sound {

class ChannelTable;

// Frequencies are limited to this many Hz either way; small ones are raised to 100.
inline constexpr std::int32_t kMaxFrequency = 705600;

// G[i] = floor(16 * sqrt(i)): the gain of one side at pan index i.
const std::array<std::uint8_t, 256>& panGainTable();
// Target gains (left, right) for a volume, channel volume scale and pan (-1: no panning).
std::uint32_t computeTargets(std::int32_t volume, std::int32_t scale, std::int32_t pan);
// The 32.32 increment for a frequency magnitude at a mix rate.
std::uint64_t frequencyIncrement(std::uint32_t hz, std::uint32_t mixRate);

class SoftwareChannelOps : public ChannelOps {
 public:
  explicit SoftwareChannelOps(ChannelTable& table) : table_(table) {}
  void setSample(Channel& c, Sample* sample) override;
  bool start(Channel& c, MixList& list) override;
  void stop(Channel& c) override;
  void setFrequency(Channel& c, std::int32_t hz) override;
  void setVolume(Channel& c, std::int32_t volume) override;
  void setPan(Channel& c, std::int32_t pan) override;
  bool setPosition(Channel& c, std::uint32_t position) override;
  std::uint32_t position(const Channel& c) const override;
  bool isPlaying(const Channel& c) const override;

 private:
  ChannelTable& table_;
};

}  // namespace korvo::sound
