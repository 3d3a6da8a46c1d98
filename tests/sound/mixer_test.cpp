// The mix loop called directly: pitch and direction, the pan law, volume ramps, loop modes,
// guard reads, and where each quality mixer clips.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <utility>
#include <vector>

#include "sound/engine/mixer.h"
#include "sound/engine/mixer_int16_kernel.h"
#include "sound/engine/sample_store.h"
#include "sound/engine/software_channel.h"

namespace korvo::sound {
namespace {

constexpr int kRate = 44100;
constexpr int kRamp = 128;

struct Voice {
  Sample sample;
  Channel channel;

  // A voice playing frames of PCM in the given mode (loop bits included) at hz, with gains.
  Voice(const void* pcm, std::uint32_t frames, std::uint32_t modeWord, int hz = kRate, int volume = 255,
        int pan = kNoPan) {
    sample.mode = modeWord;
    SampleStore::createBuffer(sample, frames);
    std::memcpy(sample.data(), pcm, sample.dataBytes());
    sample.loopLength = sample.length;
    SampleStore::refreshGuards(sample);
    channel.sample.store(&sample);
    channel.loopMode = sample.loopMode();
    setFrequency(hz);
    channel.targets.store(computeTargets(volume, 255, pan));
  }
  // A 16-bit mono voice.
  Voice(const std::vector<std::int16_t>& values, std::uint32_t loop, int hz = kRate, int volume = 255, int pan = kNoPan)
      : Voice(values.data(), static_cast<std::uint32_t>(values.size()), mode::k16Bits | mode::kMono | loop, hz, volume,
              pan) {}
  void setFrequency(int hz) {
    channel.backward.store(hz < 0);
    channel.increment.store(frequencyIncrement(static_cast<std::uint32_t>(hz < 0 ? -hz : hz), kRate));
  }
  // Skips the fade-in so gains are at their targets from the first sample.
  void settle() {
    const std::uint32_t t = channel.targets.load();
    channel.rampLeft = static_cast<std::int32_t>(Channel::targetLeft(t)) * 256;
    channel.rampRight = static_cast<std::int32_t>(Channel::targetRight(t)) * 256;
  }
};

std::vector<std::int16_t> mixInt(std::vector<Voice*> voices, int n) {
  std::vector<std::int16_t> out(static_cast<std::size_t>(n) * 2);
  clearInt16(out.data(), n);
  for (Voice* v : voices) mixChannelInt16(out.data(), v->channel, n, kRamp);
  return out;
}

std::vector<std::int16_t> mixFloat(std::vector<Voice*> voices, int n) {
  std::vector<float> acc(static_cast<std::size_t>(n) * 2);
  clearFloat(acc.data(), n);
  for (Voice* v : voices) mixChannelFloat(acc.data(), v->channel, n, kRamp);
  std::vector<std::int16_t> out(acc.size());
  clipCopyFloat(out.data(), acc.data(), n);
  return out;
}

TEST(PanLaw, GainTableAndCentre) {
  const auto& g = panGainTable();
  EXPECT_EQ(g[0], 0);
  EXPECT_EQ(g[64], 128);
  EXPECT_EQ(g[128], 181);
  EXPECT_EQ(g[255], 255);
  const std::uint32_t centre = computeTargets(255, 255, 128);
  EXPECT_EQ(Channel::targetLeft(centre), 181u);
  EXPECT_EQ(Channel::targetRight(centre), 181u);
  const std::uint32_t hardLeft = computeTargets(255, 255, 0);
  EXPECT_EQ(Channel::targetLeft(hardLeft), 255u);
  EXPECT_EQ(Channel::targetRight(hardLeft), 0u);
  const std::uint32_t hardRight = computeTargets(255, 255, 255);
  EXPECT_EQ(Channel::targetLeft(hardRight), 0u);
  EXPECT_EQ(Channel::targetRight(hardRight), 255u);
  const std::uint32_t none = computeTargets(200, 100, kNoPan);
  EXPECT_EQ(Channel::targetLeft(none), 200u);
  EXPECT_EQ(Channel::targetRight(none), 200u);
}

TEST(MixLoop, PitchAndDirection) {
  std::vector<std::int16_t> ramp(1000);
  for (std::size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<std::int16_t>(i * 16);
  Voice v(ramp, mode::kLoopNormal, 100);
  v.settle();
  mixInt({&v}, 450);
  // 450 samples at 100 Hz from 44100 Hz cover just over one source frame.
  EXPECT_EQ(v.channel.position >> 32, 1);

  Voice back(ramp, mode::kLoopNormal, -100);
  back.settle();
  back.channel.position = std::int64_t{500} << 32;
  mixInt({&back}, 1300);
  EXPECT_EQ(back.channel.position >> 32, 497);

  // Octave up: two source frames per output sample, interpolation exact on whole positions.
  Voice fast(ramp, mode::kLoopNormal, 88200);
  fast.settle();
  const auto out = mixInt({&fast}, 4);
  for (int k = 0; k < 4; ++k) EXPECT_EQ(out[2 * k], (2 * k * 16 * 255) >> 8) << k;
}

// The program's thread gives a channel a negative pitch while the mixing thread is inside
// that channel's mix: a kernel that makes the store the way setFrequency does, mid-mix.
Channel* gTurnDuringMix = nullptr;
void turningKernel(std::int16_t* out, const std::uint8_t* data, std::int64_t& pos, std::int64_t step,
                   std::int32_t count, const KernelGains& g) {
  if (gTurnDuringMix) std::exchange(gTurnDuringMix, nullptr)->backward.store(true);
  int16mix::portableKernels().kernels[1](out, data, pos, step, count, g);
}

TEST(MixLoop, DirectionSetDuringTheMixIsKept) {
  std::vector<std::int16_t> ramp(1000, 100);
  Voice v(ramp, mode::kLoopNormal, 22050);
  v.settle();
  v.channel.position = std::int64_t{500} << 32;
  KernelSet<std::int16_t> turning{};
  std::fill(std::begin(turning.kernels), std::end(turning.kernels), &turningKernel);
  std::vector<std::int16_t> out(200);
  gTurnDuringMix = &v.channel;
  mixChannelWith(turning, out.data(), v.channel, 100, kRamp);
  EXPECT_TRUE(v.channel.backward.load());  // not put back to forward when the mix ended
  EXPECT_EQ(v.channel.position >> 32, 550);
  mixInt({&v}, 100);
  EXPECT_EQ(v.channel.position >> 32, 500);
}

TEST(MixLoop, VolumeRampRisesOverFirst128Samples) {
  Voice v(std::vector<std::int16_t>(64, 16384), mode::kLoopNormal);
  const auto out = mixInt({&v}, 300);
  EXPECT_EQ(out[0], 0);
  for (int k = 1; k < 128; ++k) {
    EXPECT_GT(out[2 * k], out[2 * (k - 1)]) << k;
    EXPECT_EQ(out[2 * k], (16384 * ((k * 510) >> 8)) >> 8) << k;
  }
  for (int k = 128; k < 300; ++k) EXPECT_EQ(out[2 * k], (16384 * 255) >> 8) << k;
  EXPECT_EQ(v.channel.rampSamplesLeft, 0);
}

TEST(MixLoop, VolumeChangeRampsFromCurrentGain) {
  Voice v(std::vector<std::int16_t>(64, 16384), mode::kLoopNormal);
  v.settle();
  v.channel.targets.store(computeTargets(0, 255, kNoPan));
  const auto out = mixInt({&v}, 200);
  EXPECT_EQ(out[0], (16384 * 255) >> 8);
  EXPECT_LT(out[2 * 64], out[0]);
  EXPECT_EQ(out[2 * 128], 0);
  EXPECT_EQ(out[2 * 199], 0);
}

TEST(MixLoop, BidirectionalOneSampleLoopHolds) {
  Voice v({1000, 2000, 3000, 4000}, mode::kLoopBidi, 30000);
  v.sample.loopStart = 2;
  v.sample.loopLength = 1;
  SampleStore::refreshGuards(v.sample);
  v.settle();
  const auto out = mixInt({&v}, 1000);
  EXPECT_NE(v.channel.sample.load(), nullptr);
  for (int k = 200; k < 1000; ++k) ASSERT_EQ(out[2 * k], (3000 * 255) >> 8) << k;
  EXPECT_EQ(v.channel.position >> 32, 2);
}

TEST(MixLoop, BidirectionalLoopTurnsAtBothEnds) {
  Voice v({0, 100, 200, 300}, mode::kLoopBidi);
  v.settle();
  const auto out = mixInt({&v}, 12);
  const int expect[12] = {0, 1, 2, 3, 2, 1, 0, 1, 2, 3, 2, 1};
  for (int k = 0; k < 12; ++k) EXPECT_EQ(out[2 * k], (expect[k] * 100 * 255) >> 8) << k;
}

TEST(MixLoop, LoopOffEndsAndNormalLoopWraps) {
  Voice once({100, 200, 300}, mode::kLoopOff);
  once.settle();
  auto out = mixInt({&once}, 6);
  EXPECT_EQ(once.channel.sample.load(), nullptr);
  EXPECT_EQ(out[2 * 2], (300 * 255) >> 8);
  EXPECT_EQ(out[2 * 3], 0);

  Voice loop({100, 200, 300}, mode::kLoopNormal);
  loop.settle();
  out = mixInt({&loop}, 7);
  const int expect[7] = {100, 200, 300, 100, 200, 300, 100};
  for (int k = 0; k < 7; ++k) EXPECT_EQ(out[2 * k], (expect[k] * 255) >> 8) << k;
}

TEST(MixLoop, InterpolationReadsGuardAtLoopEnd) {
  // Half speed: the sample between the last frame and the loop start is the midpoint.
  Voice v({0, 1000, 2000, 3000}, mode::kLoopNormal, kRate / 2);
  v.settle();
  const auto out = mixInt({&v}, 8);
  EXPECT_EQ(out[2 * 6], (3000 * 255) >> 8);
  EXPECT_EQ(out[2 * 7], (1500 * 255) >> 8);
}

TEST(MixLoop, LoopPointsMovedUnderThePositionStayInsideTheData) {
  Voice v(std::vector<std::int16_t>(100, 500), mode::kLoopNormal);
  v.settle();
  v.channel.position = std::int64_t{90} << 32;
  v.sample.loopStart = 10;
  v.sample.loopLength = 20;
  mixInt({&v}, 5);
  EXPECT_GE(v.channel.position >> 32, 10);
  EXPECT_LT(v.channel.position >> 32, 30);
  // A loop reaching past the data is cut at its end.
  v.sample.loopLength = 1000;
  v.channel.position = std::int64_t{95} << 32;
  mixInt({&v}, 10);
  EXPECT_EQ(v.channel.position >> 32, 15);
}

TEST(MixLoop, PausedAndSilentChannels) {
  Voice paused({1000, 1000}, mode::kLoopNormal);
  paused.channel.setFlag(chflag::kPaused, true);
  auto out = mixInt({&paused}, 10);
  EXPECT_EQ(paused.channel.position, 0);
  for (auto v : out) EXPECT_EQ(v, 0);

  std::vector<std::int16_t> long_(100, 1000);
  Voice silent(long_, mode::kLoopNormal, kRate, 0);
  out = mixInt({&silent}, 10);
  EXPECT_EQ(silent.channel.position >> 32, 10);
  for (auto v : out) EXPECT_EQ(v, 0);
}

TEST(MixLoop, SurroundInvertsLeft) {
  Voice v(std::vector<std::int16_t>(16, 8000), mode::kLoopNormal);
  v.settle();
  v.channel.setFlag(chflag::kSurround, true);
  const auto out = mixInt({&v}, 4);
  EXPECT_EQ(out[0], (-8000 * 255) >> 8);
  EXPECT_EQ(out[1], (8000 * 255) >> 8);
}

TEST(MixLoop, EightBitAndStereoSources) {
  const std::int8_t values[8] = {10, -10, 20, -20, 30, -30, 40, -40};
  Voice stereo(values, 4, mode::k8Bits | mode::kStereo | mode::kLoopNormal);
  stereo.settle();
  const auto out = mixInt({&stereo}, 4);
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(out[2 * k], ((k + 1) * 10 * 256 * 255) >> 8);
    EXPECT_EQ(out[2 * k + 1], (-(k + 1) * 10 * 256 * 255) >> 8);
  }
  // The float mixer maps 8-bit full scale onto the 16-bit range.
  const std::int8_t extremes[2] = {127, -128};
  Voice full(extremes, 2, mode::k8Bits | mode::kMono | mode::kLoopNormal);
  full.settle();
  const auto pcm = mixFloat({&full}, 2);
  EXPECT_EQ(pcm[0], 32767);
  EXPECT_EQ(pcm[2], -32768);
}

TEST(Clipping, IntegerMixerSaturatesPerChannelFloatClipsOnce) {
  const std::vector<std::int16_t> loud(64, 30000);
  const std::vector<std::int16_t> inverse(64, -30000);
  Voice a(loud, mode::kLoopNormal), b(loud, mode::kLoopNormal), c(inverse, mode::kLoopNormal);
  for (Voice* v : {&a, &b, &c}) v->settle();
  const auto sat = mixInt({&a, &b}, 8);
  EXPECT_EQ(sat[0], 32767);
  EXPECT_EQ(sat[1], 32767);

  Voice a2(loud, mode::kLoopNormal), b2(loud, mode::kLoopNormal), c2(inverse, mode::kLoopNormal);
  for (Voice* v : {&a2, &b2, &c2}) v->settle();
  // Integer: the first two saturate before the third is added.
  const auto intOut = mixInt({&a2, &b2, &c2}, 8);
  EXPECT_EQ(intOut[0], 32767 + ((-30000 * 255) >> 8));
  Voice a3(loud, mode::kLoopNormal), b3(loud, mode::kLoopNormal), c3(inverse, mode::kLoopNormal);
  for (Voice* v : {&a3, &b3, &c3}) v->settle();
  // Float: the sum is taken whole and only the output is clipped.
  const auto floatOut = mixFloat({&a3, &b3, &c3}, 8);
  EXPECT_EQ(floatOut[0], 30000);
  Voice a4(loud, mode::kLoopNormal), b4(loud, mode::kLoopNormal);
  for (Voice* v : {&a4, &b4}) v->settle();
  EXPECT_EQ(mixFloat({&a4, &b4}, 8)[0], 32767);
}

// The float mixer's output conversion rounds to nearest with ties to even and clamps, as
// nearbyint and a clamp do, for halves, near-halves, the limits and far beyond them.
TEST(Clipping, FloatOutputRoundsHalvesToEvenAndClamps) {
  std::vector<float> in = {0.5f,         1.5f,      2.5f,     -0.5f,    -1.5f,    -2.5f,      0.49999997f,
                           -0.49999997f, 32766.5f,  32767.4f, 32767.5f, 40000.0f, 1e30f,      -32767.5f,
                           -32768.5f,    -32769.0f, -1e30f,   0.0f,     -0.0f,    12345.678f, -12345.678f};
  std::mt19937 rng(99);
  std::uniform_real_distribution<float> wide(-70000.0f, 70000.0f);
  for (int i = 0; i < 4000; ++i) in.push_back(wide(rng));
  for (int i = -2000; i < 2000; ++i) in.push_back(static_cast<float>(i) * 0.25f);
  if (in.size() % 2) in.push_back(3.0f);
  std::vector<std::int16_t> out(in.size());
  clipCopyFloat(out.data(), in.data(), static_cast<std::int32_t>(in.size() / 2));
  for (std::size_t i = 0; i < in.size(); ++i) {
    const double expected = std::clamp(std::nearbyint(static_cast<double>(in[i])), -32768.0, 32767.0);
    ASSERT_EQ(out[i], static_cast<std::int16_t>(expected)) << in[i];
  }
}

// Random formats, loops, pitches, directions and start positions: the mixer must stay inside
// the data (the sanitizer builds check every read) and keep positions inside the sample.
TEST(MixLoop, RandomChannelsStayInsideTheirData) {
  std::mt19937 rng(1234);
  const std::uint32_t formats[] = {mode::k8Bits | mode::kMono, mode::k8Bits | mode::kStereo,
                                   mode::k16Bits | mode::kMono, mode::k16Bits | mode::kStereo};
  const std::uint32_t loops[] = {mode::kLoopOff, mode::kLoopNormal, mode::kLoopBidi};
  std::vector<std::uint8_t> pcm(4 * 600);
  for (auto& b : pcm) b = static_cast<std::uint8_t>(rng());
  for (int round = 0; round < 600; ++round) {
    const std::uint32_t frames = 1 + rng() % 500;
    const std::uint32_t loop = loops[rng() % 3];
    Voice v(pcm.data(), frames, formats[rng() % 4] | loop,
            static_cast<int>(rng() % (2 * kMaxFrequency)) - kMaxFrequency, static_cast<int>(rng() % 256),
            static_cast<int>(rng() % 257) - 1);
    v.sample.loopStart = rng() % frames;
    v.sample.loopLength = 1 + rng() % (frames - v.sample.loopStart);
    SampleStore::refreshGuards(v.sample);
    v.channel.position = (static_cast<std::int64_t>(rng() % frames) << 32) | rng();
    const auto out = round % 2 ? mixInt({&v}, 1 + rng() % 3000) : mixFloat({&v}, 1 + rng() % 3000);
    ASSERT_GE(v.channel.position, 0) << round;
    ASSERT_LE(v.channel.position >> 32, frames + 1) << round;
  }
}

TEST(MixerTable, SelectionFollowsProcessorFeatures) {
  const CpuFeatures full{true, true, true};
  const CpuFeatures noFamily6{true, true, false};
  const CpuFeatures noMmx{true, false, false};
  const CpuFeatures noCpuid{false, true, true};
  EXPECT_EQ(selectMixer(mixer::kQualityAutodetect, full), 7);
  EXPECT_EQ(selectMixer(mixer::kQualityAutodetect, noFamily6), 6);
  EXPECT_EQ(selectMixer(mixer::kQualityAutodetect, noMmx), 5);
  EXPECT_EQ(selectMixer(mixer::kQualityAutodetect, noCpuid), 5);
  EXPECT_EQ(selectMixer(mixer::kAutodetect, full), 3);
  EXPECT_EQ(selectMixer(mixer::kAutodetect, noFamily6), 2);
  EXPECT_EQ(selectMixer(mixer::kAutodetect, noMmx), 1);
  EXPECT_EQ(selectMixer(mixer::kQualityFloat, full), 5);
  EXPECT_STREQ(mixerDescriptor(5)->name, "AUDREX_MIXER_QUALITY_FPU");
  EXPECT_STREQ(mixerDescriptor(7)->name, "AUDREX_MIXER_QUALITY_MMXP6");
  EXPECT_EQ(mixerDescriptor(3)->mixChannel, nullptr);
  const CpuFeatures here = detectCpuFeatures();
#if defined(__x86_64__)
  EXPECT_EQ(selectMixer(mixer::kQualityAutodetect, here), 7);
#else
  (void)here;
#endif
}

}  // namespace
}  // namespace korvo::sound
