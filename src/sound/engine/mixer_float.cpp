// The floating-point quality mixer: a float stereo mix buffer, gains as fractions of 255, and
// clipping once, when the block is converted for output.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "sound/engine/mix_channel.h"
#include "sound/engine/mixer.h"

namespace korvo::sound {
namespace {

// 8-bit values on the 16-bit scale: positive full scale reaches 32767, negative -32768.
const std::array<float, 256>& eightBitTable() {
  static const std::array<float, 256> table = [] {
    std::array<float, 256> t{};
    for (int v = -128; v < 128; ++v) {
      t[static_cast<std::uint8_t>(v)] = v >= 0 ? static_cast<float>(v) * 258.00787f : static_cast<float>(v) * 256.0f;
    }
    return t;
  }();
  return table;
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

template <bool k16, bool kStereo, bool kRamp>
void kernel(float* out, const std::uint8_t* data, std::int64_t& pos, std::int64_t step,
            std::int32_t count, const KernelGains& g) {
  const float* table = eightBitTable().data();
  const float sign = g.surround ? -1.0f : 1.0f;
  float left = static_cast<float>(g.left) * (kRamp ? kRampScale : kGainScale) * sign;
  float right = static_cast<float>(g.right) * (kRamp ? kRampScale : kGainScale);
  const float stepLeft = static_cast<float>(g.stepLeft) * kRampScale * sign;
  const float stepRight = static_cast<float>(g.stepRight) * kRampScale;
  std::int64_t p = pos;
  for (std::int32_t k = 0; k < count; ++k) {
    const std::int64_t frame = p >> 32;
    const float f = static_cast<float>(static_cast<std::uint32_t>(p) >> 1) * kFractionScale;
    const float vl = interpolate<k16, kStereo>(data, table, frame, f, 0);
    const float vr = kStereo ? interpolate<k16, kStereo>(data, table, frame, f, 1) : vl;
    out[2 * k] += vl * left;
    out[2 * k + 1] += vr * right;
    p += step;
    if constexpr (kRamp) {
      left += stepLeft;
      right += stepRight;
    }
  }
  pos = p;
}

constexpr KernelSet<float> kKernels{{
    &kernel<false, false, false>, &kernel<true, false, false>,
    &kernel<false, true, false>, &kernel<true, true, false>,
    &kernel<false, false, true>, &kernel<true, false, true>,
    &kernel<false, true, true>, &kernel<true, true, true>,
}};

}  // namespace

void clearFloat(void* buffer, std::int32_t samples) {
  std::memset(buffer, 0, static_cast<std::size_t>(samples) * 2 * sizeof(float));
}

void mixChannelFloat(void* buffer, Channel& channel, std::int32_t samples, std::int32_t rampLength) {
  mixChannelWith(kKernels, static_cast<float*>(buffer), channel, samples, rampLength);
}

void clipCopyFloat(std::int16_t* dest, const void* source, std::int32_t samples) {
  const auto* in = static_cast<const float*>(source);
  for (std::int32_t i = 0; i < samples * 2; ++i) {
    // Round to nearest (ties to even, the default rounding mode), then clamp.
    const double rounded = std::nearbyint(static_cast<double>(in[i]));
    dest[i] = static_cast<std::int16_t>(std::clamp(rounded, -32768.0, 32767.0));
  }
}

}  // namespace korvo::sound
