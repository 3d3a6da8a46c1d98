// The 16-bit integer kernels eight output samples at a time with AVX2. Each output sample
// interpolates between two neighbouring source frames; one gather per source side brings
// both in. Values are the portable kernels' to the bit: the same 32-bit products and shifts,
// and the final 16-bit add saturates as theirs does.
#include <immintrin.h>

#include "sound/engine/mixer_int16_kernel.h"
#include "sound/engine/source_gather_avx2.h"

namespace korvo::sound::int16mix {
namespace {

using avx2gather::framesFit;
using avx2gather::gatherPairs;
using avx2gather::SourcePairs;

constexpr std::int32_t kLanes = 8;

// With gains of 0..255 every scaled value fits 16 bits, so packing never saturates where the
// portable kernel would not; other gains go the portable way.
bool gainFits(std::int32_t gain) { return gain >= 0 && gain <= 255; }

__attribute__((target("avx2"))) inline __m256i interpolate(__m256i s0, __m256i s1, __m256i weights) {
  return _mm256_add_epi32(s0, _mm256_srai_epi32(_mm256_mullo_epi32(_mm256_sub_epi32(s1, s0), weights), 15));
}

template <bool k16, bool kStereo, bool kRamp>
__attribute__((target("avx2"))) void avx2Kernel(std::int16_t* out, const std::uint8_t* data, std::int64_t& pos,
                                                std::int64_t step, std::int32_t count, const KernelGains& g) {
  const std::int32_t lastLeft = kRamp ? (g.left + g.stepLeft * (count - 1)) >> 8 : g.left;
  const std::int32_t lastRight = kRamp ? (g.right + g.stepRight * (count - 1)) >> 8 : g.right;
  const bool fits = gainFits(kRamp ? g.left >> 8 : g.left) && gainFits(kRamp ? g.right >> 8 : g.right) &&
                    gainFits(lastLeft) && gainFits(lastRight) && framesFit(pos, step, count);
  const std::int32_t vectorCount = fits ? count / kLanes * kLanes : 0;

  const __m256i laneIndex = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
  __m256i positionsLow = _mm256_setr_epi64x(pos, pos + step, pos + 2 * step, pos + 3 * step);
  __m256i positionsHigh = _mm256_add_epi64(positionsLow, _mm256_set1_epi64x(4 * step));
  const __m256i positionStep = _mm256_set1_epi64x(kLanes * step);
  const __m256i sign = _mm256_set1_epi32(g.surround ? -1 : 1);
  __m256i left =
      kRamp ? _mm256_add_epi32(_mm256_set1_epi32(g.left), _mm256_mullo_epi32(laneIndex, _mm256_set1_epi32(g.stepLeft)))
            : _mm256_set1_epi32(g.left);
  __m256i right = kRamp ? _mm256_add_epi32(_mm256_set1_epi32(g.right),
                                           _mm256_mullo_epi32(laneIndex, _mm256_set1_epi32(g.stepRight)))
                        : _mm256_set1_epi32(g.right);
  const __m256i leftStep = _mm256_set1_epi32(g.stepLeft * kLanes);
  const __m256i rightStep = _mm256_set1_epi32(g.stepRight * kLanes);

  for (std::int32_t k = 0; k < vectorCount; k += kLanes) {
    const avx2gather::FramePositions p = avx2gather::splitPositions(positionsLow, positionsHigh);
    const __m256i weights = _mm256_srli_epi32(p.fractions, 17);
    const SourcePairs s = gatherPairs<k16, kStereo>(data, p.frames);
    const __m256i vl = interpolate(s.left0, s.left1, weights);
    const __m256i vr = kStereo ? interpolate(s.right0, s.right1, weights) : vl;
    const __m256i gl = kRamp ? _mm256_srai_epi32(left, 8) : left;
    const __m256i gr = kRamp ? _mm256_srai_epi32(right, 8) : right;
    const __m256i xl = _mm256_srai_epi32(_mm256_sign_epi32(_mm256_mullo_epi32(vl, gl), sign), 8);
    const __m256i xr = _mm256_srai_epi32(_mm256_mullo_epi32(vr, gr), 8);
    // Interleaved left/right, in output order once packed lane by lane.
    const __m256i packed = _mm256_packs_epi32(_mm256_unpacklo_epi32(xl, xr), _mm256_unpackhi_epi32(xl, xr));
    auto* at = reinterpret_cast<__m256i*>(out + 2 * k);
    _mm256_storeu_si256(at, _mm256_adds_epi16(_mm256_loadu_si256(at), packed));
    positionsLow = _mm256_add_epi64(positionsLow, positionStep);
    positionsHigh = _mm256_add_epi64(positionsHigh, positionStep);
    if constexpr (kRamp) {
      left = _mm256_add_epi32(left, leftStep);
      right = _mm256_add_epi32(right, rightStep);
    }
  }

  pos += step * vectorCount;
  KernelGains rest = g;
  if constexpr (kRamp) {
    rest.left += g.stepLeft * vectorCount;
    rest.right += g.stepRight * vectorCount;
  }
  portableKernel<k16, kStereo, kRamp>(out + 2 * vectorCount, data, pos, step, count - vectorCount, rest);
}

constexpr KernelSet<std::int16_t> kAvx2Kernels{{
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

const KernelSet<std::int16_t>* avx2Kernels() {
  static const bool kAvailable = __builtin_cpu_supports("avx2");
  return kAvailable ? &kAvx2Kernels : nullptr;
}

}  // namespace korvo::sound::int16mix
