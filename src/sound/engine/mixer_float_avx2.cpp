// The floating-point kernels eight output samples at a time with AVX2: the same gathers of
// neighbouring source frames as the 16-bit kernels, then the portable kernel's float
// operations in the same order (interpolation, gain, sum), so every value is the portable
// one. Ramped gains are stepped one sample at a time as the portable kernel steps them (a
// ramp is short, so the scalar steps cost little).
#include <immintrin.h>

#include "sound/engine/mixer_float_kernel.h"
#include "sound/engine/source_gather_avx2.h"

namespace korvo::sound::floatmix {
namespace {

constexpr std::int32_t kLanes = 8;

// A gathered source value on the 16-bit scale as the portable kernel reads it: 16-bit values
// as they are, 8-bit ones from the table's two scales (positive full scale reaches 32767).
template <bool k16>
__attribute__((target("avx2"))) inline __m256 sourceValue(__m256i v) {
  if constexpr (k16) {
    return _mm256_cvtepi32_ps(v);
  } else {
    const __m256 scale = _mm256_blendv_ps(_mm256_set1_ps(258.00787f), _mm256_set1_ps(256.0f), _mm256_castsi256_ps(v));
    return _mm256_mul_ps(_mm256_cvtepi32_ps(_mm256_srai_epi32(v, 8)), scale);
  }
}

template <bool k16>
__attribute__((target("avx2"))) inline __m256 interpolateLanes(__m256i s0, __m256i s1, __m256 f) {
  const __m256 a = sourceValue<k16>(s0);
  return _mm256_add_ps(a, _mm256_mul_ps(_mm256_sub_ps(sourceValue<k16>(s1), a), f));
}

template <bool k16, bool kStereo, bool kRamp>
__attribute__((target("avx2"))) void avx2Kernel(float* out, const std::uint8_t* data, std::int64_t& pos,
                                                std::int64_t step, std::int32_t count, const KernelGains& g) {
  const std::int32_t vectorCount = avx2gather::framesFit(pos, step, count) ? count / kLanes * kLanes : 0;
  FloatGains gains = floatGains<kRamp>(g);
  __m256i positionsLow = _mm256_setr_epi64x(pos, pos + step, pos + 2 * step, pos + 3 * step);
  __m256i positionsHigh = _mm256_add_epi64(positionsLow, _mm256_set1_epi64x(4 * step));
  const __m256i positionStep = _mm256_set1_epi64x(kLanes * step);
  __m256 gainLeft = _mm256_set1_ps(gains.left);
  __m256 gainRight = _mm256_set1_ps(gains.right);
  const __m256 fractionScale = _mm256_set1_ps(kFractionScale);

  for (std::int32_t k = 0; k < vectorCount; k += kLanes) {
    if constexpr (kRamp) {
      alignas(32) float lefts[kLanes], rights[kLanes];
      for (std::int32_t j = 0; j < kLanes; ++j) {
        lefts[j] = gains.left;
        rights[j] = gains.right;
        gains.left += gains.stepLeft;
        gains.right += gains.stepRight;
      }
      gainLeft = _mm256_load_ps(lefts);
      gainRight = _mm256_load_ps(rights);
    }
    const avx2gather::FramePositions p = avx2gather::splitPositions(positionsLow, positionsHigh);
    const __m256 f = _mm256_mul_ps(_mm256_cvtepi32_ps(_mm256_srli_epi32(p.fractions, 1)), fractionScale);
    const avx2gather::SourcePairs s = avx2gather::gatherPairs<k16, kStereo>(data, p.frames);
    const __m256 vl = interpolateLanes<k16>(s.left0, s.left1, f);
    const __m256 vr = kStereo ? interpolateLanes<k16>(s.right0, s.right1, f) : vl;
    const __m256 xl = _mm256_mul_ps(vl, gainLeft);
    const __m256 xr = _mm256_mul_ps(vr, gainRight);
    // Interleaved left/right in output order.
    const __m256 lo = _mm256_unpacklo_ps(xl, xr);
    const __m256 hi = _mm256_unpackhi_ps(xl, xr);
    float* at = out + 2 * k;
    _mm256_storeu_ps(at, _mm256_add_ps(_mm256_loadu_ps(at), _mm256_permute2f128_ps(lo, hi, 0x20)));
    _mm256_storeu_ps(at + 8, _mm256_add_ps(_mm256_loadu_ps(at + 8), _mm256_permute2f128_ps(lo, hi, 0x31)));
    positionsLow = _mm256_add_epi64(positionsLow, positionStep);
    positionsHigh = _mm256_add_epi64(positionsHigh, positionStep);
  }

  pos += step * vectorCount;
  mixFrom<k16, kStereo, kRamp>(out + 2 * vectorCount, data, pos, step, count - vectorCount, gains);
}

constexpr KernelSet<float> kAvx2Kernels{{
    &avx2Kernel<false, false, false>,
    &avx2Kernel<true, false, false>,
    &avx2Kernel<false, true, false>,
    &avx2Kernel<true, true, false>,
    &avx2Kernel<false, false, true>,
    &avx2Kernel<true, false, true>,
    &avx2Kernel<false, true, true>,
    &avx2Kernel<true, true, true>,
}};

}  // namespace

const KernelSet<float>* avx2Kernels() {
  static const bool kAvailable = __builtin_cpu_supports("avx2");
  return kAvailable ? &kAvx2Kernels : nullptr;
}

}  // namespace korvo::sound::floatmix
