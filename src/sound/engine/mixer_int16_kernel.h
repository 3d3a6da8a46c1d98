// The per-sample kernels of the 16-bit integer quality mixer, portable and vectorised. Both
// give the same values for the same input: 15-bit interpolation weights, 8.8 gains, and
// saturation as each value is added to the mix buffer.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "sound/engine/mix_channel.h"

namespace korvo::sound::int16mix {

inline std::int16_t saturate(std::int32_t v) { return static_cast<std::int16_t>(std::clamp(v, -32768, 32767)); }

// Source value of a channel (0 left, 1 right) at a frame, on the 16-bit scale.
template <bool k16, bool kStereo>
inline std::int32_t source(const std::uint8_t* data, std::int64_t frame, int channel) {
  const std::int64_t index = kStereo ? frame * 2 + channel : frame;
  if constexpr (k16) {
    std::int16_t v;
    std::memcpy(&v, data + index * 2, 2);
    return v;
  } else {
    return static_cast<std::int32_t>(static_cast<std::int8_t>(data[index])) * 256;
  }
}

template <bool k16, bool kStereo>
inline std::int32_t interpolate(const std::uint8_t* data, std::int64_t frame, std::int32_t weight, int channel) {
  const std::int32_t s0 = source<k16, kStereo>(data, frame, channel);
  const std::int32_t s1 = source<k16, kStereo>(data, frame + 1, channel);
  return s0 + (((s1 - s0) * weight) >> 15);
}

template <bool k16, bool kStereo, bool kRamp>
void portableKernel(std::int16_t* out, const std::uint8_t* data, std::int64_t& pos, std::int64_t step,
                    std::int32_t count, const KernelGains& g) {
  const std::int32_t sign = g.surround ? -1 : 1;
  std::int32_t left = g.left;
  std::int32_t right = g.right;
  std::int64_t p = pos;
  for (std::int32_t k = 0; k < count; ++k) {
    const std::int64_t frame = p >> 32;
    const std::int32_t weight = static_cast<std::int32_t>(static_cast<std::uint32_t>(p) >> 17);
    const std::int32_t vl = interpolate<k16, kStereo>(data, frame, weight, 0);
    const std::int32_t vr = kStereo ? interpolate<k16, kStereo>(data, frame, weight, 1) : vl;
    const std::int32_t gl = kRamp ? (left >> 8) : left;
    const std::int32_t gr = kRamp ? (right >> 8) : right;
    out[2 * k] = saturate(out[2 * k] + ((vl * gl * sign) >> 8));
    out[2 * k + 1] = saturate(out[2 * k + 1] + ((vr * gr) >> 8));
    p += step;
    if constexpr (kRamp) {
      left += g.stepLeft;
      right += g.stepRight;
    }
  }
  pos = p;
}

// The portable kernels, indexed as KernelSet says.
const KernelSet<std::int16_t>& portableKernels();
// The kernels for processors with AVX2, or null on a processor without it.
const KernelSet<std::int16_t>* avx2Kernels();

}  // namespace korvo::sound::int16mix
