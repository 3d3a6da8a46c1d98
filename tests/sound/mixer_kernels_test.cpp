// The vectorised kernels against the portable ones, for every source format, with and without
// ramps, forward and backward. 16-bit: the same mix values and the same end position for any
// input, including sums that saturate and gains the vector path must hand back. Float: the
// same float values and end position.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "sound/engine/mixer_float_kernel.h"
#include "sound/engine/mixer_int16_kernel.h"
#include "sound/engine/sample_store.h"

namespace korvo::sound {
namespace {

constexpr std::uint32_t kFrames = 4096;

struct Case {
  std::int64_t pos;
  std::int64_t step;
  std::int32_t count;
  KernelGains gains;
};

Case randomCase(std::mt19937& rng, bool ramp) {
  std::uniform_int_distribution<std::int32_t> count(0, 300);
  std::uniform_int_distribution<std::int64_t> stepWhole(0, 6);
  std::uniform_int_distribution<std::int64_t> fraction(0, 0xFFFFFFFFll);
  std::uniform_int_distribution<int> pick(0, 9);
  Case c;
  c.count = count(rng);
  c.step = (stepWhole(rng) << 32) + (pick(rng) == 0 ? 0 : fraction(rng));
  if (pick(rng) < 4) c.step = -c.step;
  // Every frame read, and the one after it, lies inside the data.
  const std::int64_t span = c.step * (c.count > 0 ? c.count - 1 : 0);
  const std::int64_t lowest = span < 0 ? -span : 0;
  const std::int64_t highest = (std::int64_t{kFrames - 2} << 32) - (span > 0 ? span : 0);
  c.pos = std::uniform_int_distribution<std::int64_t>(lowest, highest)(rng);
  // Mostly gains a mixer hands out; sometimes ones the vector path must refuse.
  std::uniform_int_distribution<std::int32_t> gain(0, 255);
  std::uniform_int_distribution<std::int32_t> wild(-400, 400);
  const bool odd = pick(rng) == 0;
  c.gains.surround = pick(rng) < 3;
  if (ramp) {
    const std::int32_t from = (odd ? wild(rng) : gain(rng)) * 256;
    const std::int32_t to = gain(rng) * 256;
    const std::int32_t length = std::max(c.count, 1);
    c.gains.left = from;
    c.gains.right = to;
    c.gains.stepLeft = (to - from) / length;
    c.gains.stepRight = (from - to) / length;
  } else {
    c.gains.left = odd ? wild(rng) : gain(rng);
    c.gains.right = gain(rng);
  }
  return c;
}

// A sample of the format (bit 0: 16-bit, bit 1: stereo) filled with full-scale noise, so
// interpolation spans the widest differences and mixes saturate.
void fillNoise(Sample& sample, int format, std::mt19937& rng) {
  std::uniform_int_distribution<int> byte(0, 255);
  sample.mode = (format & 1 ? mode::k16Bits : mode::k8Bits) | (format & 2 ? mode::kStereo : mode::kMono);
  ASSERT_TRUE(SampleStore::createBuffer(sample, kFrames));
  for (std::uint32_t i = 0; i < sample.dataBytes(); ++i) sample.data()[i] = static_cast<std::uint8_t>(byte(rng));
}

TEST(FloatKernels, VectorKernelsGiveThePortableValues) {
  const KernelSet<float>* vector = floatmix::avx2Kernels();
  if (!vector) GTEST_SKIP() << "this processor has no AVX2";
  const KernelSet<float>& portable = floatmix::portableKernels();
  std::mt19937 rng(4321);
  std::uniform_real_distribution<float> mix(-40000.0f, 40000.0f);
  for (int format = 0; format < 4; ++format) {
    Sample sample;
    fillNoise(sample, format, rng);
    for (int ramp = 0; ramp < 2; ++ramp) {
      const int index = format | (ramp ? 4 : 0);
      for (int trial = 0; trial < 400; ++trial) {
        const Case c = randomCase(rng, ramp != 0);
        std::vector<float> expected(2 * static_cast<std::size_t>(c.count) + 2);
        for (auto& v : expected) v = mix(rng);
        std::vector<float> actual = expected;
        std::int64_t expectedPos = c.pos;
        std::int64_t actualPos = c.pos;
        portable.kernels[index](expected.data(), sample.data(), expectedPos, c.step, c.count, c.gains);
        vector->kernels[index](actual.data(), sample.data(), actualPos, c.step, c.count, c.gains);
        ASSERT_EQ(actualPos, expectedPos) << "kernel " << index << " trial " << trial;
        ASSERT_EQ(actual, expected) << "kernel " << index << " trial " << trial;
      }
    }
  }
}

TEST(Int16Kernels, VectorKernelsGiveThePortableValues) {
  const KernelSet<std::int16_t>* vector = int16mix::avx2Kernels();
  if (!vector) GTEST_SKIP() << "this processor has no AVX2";
  const KernelSet<std::int16_t>& portable = int16mix::portableKernels();
  std::mt19937 rng(1234);
  std::uniform_int_distribution<int> byte(0, 255);
  for (int format = 0; format < 4; ++format) {
    Sample sample;
    sample.mode = (format & 1 ? mode::k16Bits : mode::k8Bits) | (format & 2 ? mode::kStereo : mode::kMono);
    ASSERT_TRUE(SampleStore::createBuffer(sample, kFrames));
    // Full-scale noise, so interpolation spans the widest differences and mixes saturate.
    for (std::uint32_t i = 0; i < sample.dataBytes(); ++i) sample.data()[i] = static_cast<std::uint8_t>(byte(rng));
    for (int ramp = 0; ramp < 2; ++ramp) {
      const int index = format | (ramp ? 4 : 0);
      for (int trial = 0; trial < 400; ++trial) {
        const Case c = randomCase(rng, ramp != 0);
        std::vector<std::int16_t> expected(2 * static_cast<std::size_t>(c.count) + 2);
        for (auto& v : expected) v = static_cast<std::int16_t>(byte(rng) * 256 - 32768);
        std::vector<std::int16_t> actual = expected;
        std::int64_t expectedPos = c.pos;
        std::int64_t actualPos = c.pos;
        portable.kernels[index](expected.data(), sample.data(), expectedPos, c.step, c.count, c.gains);
        vector->kernels[index](actual.data(), sample.data(), actualPos, c.step, c.count, c.gains);
        ASSERT_EQ(actual, expected) << "kernel " << index << " trial " << trial;
        ASSERT_EQ(actualPos, expectedPos) << "kernel " << index << " trial " << trial;
      }
    }
  }
}

}  // namespace
}  // namespace korvo::sound
