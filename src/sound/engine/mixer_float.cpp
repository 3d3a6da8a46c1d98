// The floating-point quality mixer: a float stereo mix buffer, gains as fractions of 255, and
// clipping once, when the block is converted for output.
#include <algorithm>
#include <cstring>

#include "sound/engine/mix_channel.h"
#include "sound/engine/mixer.h"
#include "sound/engine/mixer_float_kernel.h"

namespace korvo::sound {
namespace {

using floatmix::portableKernel;

constexpr KernelSet<float> kPortableKernels{{
    &portableKernel<false, false, false>,
    &portableKernel<true, false, false>,
    &portableKernel<false, true, false>,
    &portableKernel<true, true, false>,
    &portableKernel<false, false, true>,
    &portableKernel<true, false, true>,
    &portableKernel<false, true, true>,
    &portableKernel<true, true, true>,
}};

const KernelSet<float>& chosenKernels() {
  static const KernelSet<float>& chosen = floatmix::avx2Kernels() ? *floatmix::avx2Kernels() : kPortableKernels;
  return chosen;
}

}  // namespace

const KernelSet<float>& floatmix::portableKernels() { return kPortableKernels; }

void clearFloat(void* buffer, std::int32_t samples) {
  std::memset(buffer, 0, static_cast<std::size_t>(samples) * 2 * sizeof(float));
}

void mixChannelFloat(void* buffer, Channel& channel, std::int32_t samples, std::int32_t rampLength) {
  mixChannelWith(chosenKernels(), static_cast<float*>(buffer), channel, samples, rampLength);
}

void clipCopyFloat(std::int16_t* dest, const void* source, std::int32_t samples) {
  // Clamp, then round to nearest with ties to even (the default rounding mode) by adding and
  // taking away 1.5 * 2^23, exact below 2^22: the same values as rounding first, and a loop the
  // compiler turns into vector instructions, with no library call per sample.
  constexpr float kRound = 12582912.0f;
  const auto* in = static_cast<const float*>(source);
  for (std::int32_t i = 0; i < samples * 2; ++i) {
    const float clamped = std::min(std::max(in[i], -32768.0f), 32767.0f);
    dest[i] = static_cast<std::int16_t>((clamped + kRound) - kRound);
  }
}

}  // namespace korvo::sound
