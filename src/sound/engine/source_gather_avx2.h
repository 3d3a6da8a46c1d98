// Source frames for the AVX2 mixing kernels: eight output samples' pairs of neighbouring
// source frames brought in by one gather per side, as 32-bit values on the 16-bit scale.
#pragma once

#include <immintrin.h>

#include <cstdint>
#include <limits>

namespace korvo::sound::avx2gather {

// Frame numbers are gathered as signed 32-bit indices.
inline bool framesFit(std::int64_t pos, std::int64_t step, std::int32_t count) {
  const std::int64_t last = pos + step * (count - 1);
  const std::int64_t limit = std::int64_t{std::numeric_limits<std::int32_t>::max() - 4} << 32;
  return pos >= 0 && last >= 0 && pos < limit && last < limit;
}

// Byte kByte (0..3) of each 32-bit lane as a signed 8-bit value on the 16-bit scale.
template <int kByte>
__attribute__((target("avx2"))) inline __m256i signedByte(__m256i v) {
  return _mm256_slli_epi32(_mm256_srai_epi32(_mm256_slli_epi32(v, 24 - 8 * kByte), 24), 8);
}

// Half kHalf (0 low, 1 high) of each 32-bit lane as a signed 16-bit value.
template <int kHalf>
__attribute__((target("avx2"))) inline __m256i signedHalf(__m256i v) {
  if constexpr (kHalf == 0) return _mm256_srai_epi32(_mm256_slli_epi32(v, 16), 16);
  else return _mm256_srai_epi32(v, 16);
}

struct SourcePairs {
  __m256i left0, left1, right0, right1;
};

template <bool k16, bool kStereo>
__attribute__((target("avx2"))) inline SourcePairs gatherPairs(const std::uint8_t* data, __m256i frames) {
  const int* base = reinterpret_cast<const int*>(data);
  SourcePairs s;
  if constexpr (k16 && kStereo) {
    const __m256i first = _mm256_i32gather_epi32(base, frames, 4);
    const __m256i second = _mm256_i32gather_epi32(reinterpret_cast<const int*>(data + 4), frames, 4);
    s.left0 = signedHalf<0>(first);
    s.right0 = signedHalf<1>(first);
    s.left1 = signedHalf<0>(second);
    s.right1 = signedHalf<1>(second);
  } else if constexpr (k16) {
    const __m256i pair = _mm256_i32gather_epi32(base, frames, 2);
    s.left0 = s.right0 = signedHalf<0>(pair);
    s.left1 = s.right1 = signedHalf<1>(pair);
  } else if constexpr (kStereo) {
    const __m256i quad = _mm256_i32gather_epi32(base, frames, 2);
    s.left0 = signedByte<0>(quad);
    s.right0 = signedByte<1>(quad);
    s.left1 = signedByte<2>(quad);
    s.right1 = signedByte<3>(quad);
  } else {
    const __m256i pair = _mm256_i32gather_epi32(base, frames, 1);
    s.left0 = s.right0 = signedByte<0>(pair);
    s.left1 = s.right1 = signedByte<1>(pair);
  }
  return s;
}

// Frames (high halves) and fractions (low halves) of eight 32.32 positions held four to a
// vector, in lane order.
struct FramePositions {
  __m256i frames, fractions;
};

__attribute__((target("avx2"))) inline FramePositions splitPositions(__m256i low, __m256i high) {
  const __m256i oddsLast = _mm256_setr_epi32(0, 2, 4, 6, 1, 3, 5, 7);
  const __m256i a = _mm256_permutevar8x32_epi32(low, oddsLast);
  const __m256i b = _mm256_permutevar8x32_epi32(high, oddsLast);
  return {_mm256_permute2x128_si256(a, b, 0x31), _mm256_permute2x128_si256(a, b, 0x20)};
}

}  // namespace korvo::sound::avx2gather
