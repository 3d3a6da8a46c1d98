// The 16-bit integer quality mixer: a 16-bit stereo mix buffer, 8.8 gains, 15-bit
// interpolation weights, and saturation as each channel is added.
#include <cstring>

#include "sound/engine/mix_channel.h"
#include "sound/engine/mixer.h"
#include "sound/engine/mixer_int16_kernel.h"

namespace korvo::sound {
namespace {

using int16mix::portableKernel;

constexpr KernelSet<std::int16_t> kPortableKernels{{
    &portableKernel<false, false, false>,
    &portableKernel<true, false, false>,
    &portableKernel<false, true, false>,
    &portableKernel<true, true, false>,
    &portableKernel<false, false, true>,
    &portableKernel<true, false, true>,
    &portableKernel<false, true, true>,
    &portableKernel<true, true, true>,
}};

const KernelSet<std::int16_t>& chosenKernels() {
  static const KernelSet<std::int16_t>& chosen = int16mix::avx2Kernels() ? *int16mix::avx2Kernels() : kPortableKernels;
  return chosen;
}

}  // namespace

const KernelSet<std::int16_t>& int16mix::portableKernels() { return kPortableKernels; }

void clearInt16(void* buffer, std::int32_t samples) { std::memset(buffer, 0, static_cast<std::size_t>(samples) * 4); }

void mixChannelInt16(void* buffer, Channel& channel, std::int32_t samples, std::int32_t rampLength) {
  mixChannelWith(chosenKernels(), static_cast<std::int16_t*>(buffer), channel, samples, rampLength);
}

void clipCopyInt16(std::int16_t* dest, const void* source, std::int32_t samples) {
  std::memcpy(dest, source, static_cast<std::size_t>(samples) * 4);
}

}  // namespace korvo::sound
