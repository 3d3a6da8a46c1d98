// The per-sample kernel of the floating-point quality mixer, and the choice of kernels. The
// vector kernels give the portable one's values to the bit.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>

#include "sound/engine/mix_channel.h"

namespace korvo::sound::floatmix {

// 8-bit values on the 16-bit scale: positive full scale reaches 32767, negative -32768.
inline const std::array<float, 256>& eightBitTable() {
  static const std::array<float, 256> kTable = [] {
    std::array<float, 256> t{};
    for (int v = -128; v < 128; ++v) {
      t[static_cast<std::uint8_t>(v)] = v >= 0 ? static_cast<float>(v) * 258.00787f : static_cast<float>(v) * 256.0f;
    }
    return t;
  }();
  return kTable;
}

template <bool k16, bool kStereo>
inline float source(const std::uint8_t* data, const float* table, std::int64_t frame, int channel) {
  const std::int64_t index = kStereo ? frame * 2 + channel : frame;
  if constexpr (k16) {
    std::int16_t v;
    std::memcpy(&v, data + index * 2, 2);
    return static_cast<float>(v);
  } else {
    return table[data[index]];
  }
}

template <bool k16, bool kStereo>
inline float interpolate(const std::uint8_t* data, const float* table, std::int64_t frame, float f, int channel) {
  const float s0 = source<k16, kStereo>(data, table, frame, channel);
  const float s1 = source<k16, kStereo>(data, table, frame + 1, channel);
  return s0 + (s1 - s0) * f;
}

constexpr float kGainScale = 1.0f / 255.0f;
constexpr float kRampScale = 1.0f / (256.0f * 255.0f);
constexpr float kFractionScale = 1.0f / 2147483648.0f;

// The gains as the kernel steps them: per-sample factors, with the surround sign in left.
struct FloatGains {
  float left, right, stepLeft, stepRight;
};

template <bool kRamp>
FloatGains floatGains(const KernelGains& g) {
  const float sign = g.surround ? -1.0f : 1.0f;
  return {static_cast<float>(g.left) * (kRamp ? kRampScale : kGainScale) * sign,
          static_cast<float>(g.right) * (kRamp ? kRampScale : kGainScale),
          static_cast<float>(g.stepLeft) * kRampScale * sign, static_cast<float>(g.stepRight) * kRampScale};
}

// Mixes count samples from pos on; ramped gains advance one step per sample.
template <bool k16, bool kStereo, bool kRamp>
void mixFrom(float* out, const std::uint8_t* data, std::int64_t& pos, std::int64_t step, std::int32_t count,
             FloatGains& g) {
  const float* table = eightBitTable().data();
  std::int64_t p = pos;
  for (std::int32_t k = 0; k < count; ++k) {
    const std::int64_t frame = p >> 32;
    const float f = static_cast<float>(static_cast<std::uint32_t>(p) >> 1) * kFractionScale;
    const float vl = interpolate<k16, kStereo>(data, table, frame, f, 0);
    const float vr = kStereo ? interpolate<k16, kStereo>(data, table, frame, f, 1) : vl;
    out[2 * k] += vl * g.left;
    out[2 * k + 1] += vr * g.right;
    p += step;
    if constexpr (kRamp) {
      g.left += g.stepLeft;
      g.right += g.stepRight;
    }
  }
  pos = p;
}

template <bool k16, bool kStereo, bool kRamp>
void portableKernel(float* out, const std::uint8_t* data, std::int64_t& pos, std::int64_t step, std::int32_t count,
                    const KernelGains& g) {
  FloatGains gains = floatGains<kRamp>(g);
  mixFrom<k16, kStereo, kRamp>(out, data, pos, step, count, gains);
}

const KernelSet<float>& portableKernels();
// The AVX2 kernels, or null when the processor lacks AVX2.
const KernelSet<float>* avx2Kernels();

}  // namespace korvo::sound::floatmix
