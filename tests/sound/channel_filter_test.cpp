// The channel filter alone and in the mix: what it lets through below and above its cutoff,
// its resonance peak, that it stays bounded at the extremes, and that a channel mixed through
// it in either mixer sounds as the filter says while channels without one are untouched.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "sound/engine/channel_filter.h"
#include "sound/engine/mixer.h"
#include "sound/engine/sample_store.h"

namespace korvo::sound {
namespace {

constexpr int kRate = 44100;

// Peak level of the filter's output for a sine of hz at amplitude 10000, after it settles.
double sineGain(float cutoff, float resonanceDb, double hz) {
  ChannelFilter filter;
  filter.set(cutoff, resonanceDb, kRate);
  constexpr int kFrames = 16384;
  std::vector<float> in(2 * kFrames);
  std::vector<float> out(2 * kFrames, 0.0f);
  for (int k = 0; k < kFrames; ++k) {
    in[2 * k] = in[2 * k + 1] = static_cast<float>(10000.0 * std::sin(2 * std::numbers::pi * hz * k / kRate));
  }
  filter.apply(out.data(), in.data(), kFrames);
  double peak = 0;
  for (int k = kFrames / 2; k < kFrames; ++k) peak = std::max(peak, static_cast<double>(std::abs(out[2 * k])));
  return peak / 10000.0;
}

TEST(ChannelFilter, PassesBelowTheCutoffAndCutsAboveIt) {
  EXPECT_NEAR(sineGain(1000, 0, 50), 1.0, 0.02);
  EXPECT_LT(sineGain(1000, 0, 10000), 0.02);  // two poles: about 40 dB down a decade up
  EXPECT_LT(sineGain(500, 0, 2000), sineGain(2000, 0, 2000));
}

TEST(ChannelFilter, ResonanceRaisesThePeakAtTheCutoff) {
  const double plain = sineGain(2000, 0, 2000);
  const double resonant = sineGain(2000, 24, 2000);
  EXPECT_LT(plain, 1.0);
  EXPECT_GT(resonant, 8.0);  // about +24 dB
  // Still unity far below the peak.
  EXPECT_NEAR(sineGain(2000, 24, 50), 1.0, 0.05);
}

TEST(ChannelFilter, StaysBoundedAtTheLimits) {
  for (const float cutoff : {0.0f, 1.0f, 22050.0f, 1e9f}) {
    ChannelFilter filter;
    filter.set(cutoff, 1000.0f, kRate);
    std::vector<float> in(2 * 4096);
    for (std::size_t i = 0; i < in.size(); ++i) in[i] = (i / 2) % 2 ? 32767.0f : -32768.0f;
    std::vector<float> out(in.size(), 0.0f);
    filter.apply(out.data(), in.data(), 4096);
    for (const float v : out) ASSERT_TRUE(std::isfinite(v) && std::abs(v) < 2e6f) << "cutoff " << cutoff;
  }
}

// A channel playing a 16-bit alternating sample (a tone at half the rate) at full volume.
struct ToneChannel {
  ToneChannel() {
    sample.mode = mode::k16Bits | mode::kLoopNormal;
    SampleStore::createBuffer(sample, 64);
    auto* data = reinterpret_cast<std::int16_t*>(sample.data());
    for (std::uint32_t i = 0; i < 64; ++i) data[i] = i % 2 ? 12000 : -12000;
    sample.loopStart = 0;
    sample.loopLength = 64;
    SampleStore::refreshGuards(sample);
    channel.sample.store(&sample);
    channel.loopMode = mode::kLoopNormal;
    channel.increment.store(std::uint64_t{1} << 32);
    channel.targets.store(Channel::packTargets(255, 255));
    channel.rampLeft = channel.rampRight = 255 * 256;
  }
  Sample sample;
  Channel channel;
};

template <typename Value>
double mixedPeak(void (*mix)(void*, Channel&, std::int32_t, std::int32_t), bool filtered) {
  ToneChannel tone;
  if (filtered) tone.channel.filter.set(1000.0f, 0.0f, kRate);
  std::vector<Value> buffer(2 * 4096, Value{});
  mix(buffer.data(), tone.channel, 4096, 128);
  double peak = 0;
  for (std::size_t i = buffer.size() / 2; i < buffer.size(); ++i) {
    peak = std::max(peak, std::abs(static_cast<double>(buffer[i])));
  }
  return peak;
}

TEST(ChannelFilter, FiltersAChannelInEitherMixerAndOnlyThatChannel) {
  EXPECT_GT(mixedPeak<float>(&mixChannelFloat, false), 11000);
  EXPECT_LT(mixedPeak<float>(&mixChannelFloat, true), 100);
  EXPECT_GT(mixedPeak<std::int16_t>(&mixChannelInt16, false), 11000);
  EXPECT_LT(mixedPeak<std::int16_t>(&mixChannelInt16, true), 100);
}

}  // namespace
}  // namespace korvo::sound
