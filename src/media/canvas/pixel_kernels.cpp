// Key-compare kernels. The keyed copies compare whole vectors of source pixels with the key
// and write the source where it differs, a whole block per call: AVX-512 stores 16- and 32-bit
// pixels under the "not key" lane mask; AVX2 stores 32-bit pixels through the same mask (the
// last part-vector of a row loaded and stored under a lane mask too) and blends 16-bit pixels
// with the destination; all without branches on the data, so small sprites cost no
// mispredictions. 3-byte pixels are spread into words by SSSE3 for the compare and copied by
// plain stores (a vector store overlapping the next load would stall it). The mask kernels
// gather "same as key" bits from the same compares. Plain loops finish the tails and serve
// other processors.
#include "media/canvas/pixel_kernels.h"

#include <cstring>

#include "media/canvas/raw_pixels.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define KORVO_X86 1
#endif

namespace korvo::platform {
namespace {

// The plain kernel, from pixel i on.
template <int kBytes>
void keyedTail(std::uint8_t* d, const std::uint8_t* s, std::int32_t i, std::int32_t n, std::uint32_t key,
               std::uint32_t cmask) {
  const std::uint32_t k = key & cmask;
  for (; i < n; ++i) {
    if ((loadPixel<kBytes>(s + i * kBytes) & cmask) != k) {
      std::memcpy(d + i * kBytes, s + i * kBytes, kBytes);
    }
  }
}

template <int kBytes>
void keyedPlain(std::uint8_t* d, std::ptrdiff_t dPitch, const std::uint8_t* s, std::ptrdiff_t sPitch, std::int32_t n,
                std::int32_t h, std::uint32_t key, std::uint32_t cmask) {
  for (std::int32_t y = 0; y < h; ++y, d += dPitch, s += sPitch) keyedTail<kBytes>(d, s, 0, n, key, cmask);
}

// Bit k of x moved to bit 31 - k.
std::uint32_t reverseBits(std::uint32_t x) {
  x = ((x >> 1) & 0x55555555u) | ((x & 0x55555555u) << 1);
  x = ((x >> 2) & 0x33333333u) | ((x & 0x33333333u) << 2);
  x = ((x >> 4) & 0x0F0F0F0Fu) | ((x & 0x0F0F0F0Fu) << 4);
  return __builtin_bswap32(x);
}

template <int kBytes>
std::uint32_t maskWordPlain(const std::uint8_t* p, std::int32_t count, std::uint32_t key, std::uint32_t cmask) {
  std::uint32_t bits = 0;
  for (std::int32_t k = 0; k < count; ++k) {
    if ((loadPixel<kBytes>(p + k * kBytes) & cmask) != key) bits |= 0x80000000u >> k;
  }
  return bits;
}

#ifdef KORVO_X86
__attribute__((target("avx2"))) void keyed32Avx2(std::uint8_t* d, std::ptrdiff_t dPitch, const std::uint8_t* s,
                                                 std::ptrdiff_t sPitch, std::int32_t n, std::int32_t h,
                                                 std::uint32_t key, std::uint32_t cmask) {
  const __m256i kv = _mm256_set1_epi32(static_cast<int>(key & cmask));
  const __m256i mv = _mm256_set1_epi32(static_cast<int>(cmask));
  // Lanes of a row's last part-vector that hold pixels of the row.
  const __m256i tail = _mm256_cmpgt_epi32(_mm256_set1_epi32(n & 7), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
  const std::int32_t whole = n & ~7;
  for (std::int32_t y = 0; y < h; ++y, d += dPitch, s += sPitch) {
    for (std::int32_t i = 0; i < whole; i += 8) {
      const __m256i sv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i * 4));
      const __m256i eq = _mm256_cmpeq_epi32(_mm256_and_si256(sv, mv), kv);
      _mm256_maskstore_epi32(reinterpret_cast<int*>(d + i * 4), _mm256_xor_si256(eq, _mm256_set1_epi32(-1)), sv);
    }
    if (whole != n) {
      const __m256i sv = _mm256_maskload_epi32(reinterpret_cast<const int*>(s + whole * 4), tail);
      const __m256i eq = _mm256_cmpeq_epi32(_mm256_and_si256(sv, mv), kv);
      _mm256_maskstore_epi32(reinterpret_cast<int*>(d + whole * 4), _mm256_andnot_si256(eq, tail), sv);
    }
  }
}

// Blends with the destination where the source is key: the same work for every vector.
__attribute__((target("avx2"))) void keyed16Avx2(std::uint8_t* d, std::ptrdiff_t dPitch, const std::uint8_t* s,
                                                 std::ptrdiff_t sPitch, std::int32_t n, std::int32_t h,
                                                 std::uint32_t key, std::uint32_t cmask) {
  const __m256i kv = _mm256_set1_epi16(static_cast<short>(key & cmask));
  const __m256i mv = _mm256_set1_epi16(static_cast<short>(cmask));
  for (std::int32_t y = 0; y < h; ++y, d += dPitch, s += sPitch) {
    std::int32_t i = 0;
    for (; i + 16 <= n; i += 16) {
      const __m256i sv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i * 2));
      const __m256i eq = _mm256_cmpeq_epi16(_mm256_and_si256(sv, mv), kv);
      auto* dp = reinterpret_cast<__m256i*>(d + i * 2);
      _mm256_storeu_si256(dp, _mm256_blendv_epi8(sv, _mm256_loadu_si256(dp), eq));
    }
    if (i + 8 <= n) {
      const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i * 2));
      const __m128i eq = _mm_cmpeq_epi16(_mm_and_si128(sv, _mm256_castsi256_si128(mv)), _mm256_castsi256_si128(kv));
      auto* dp = reinterpret_cast<__m128i*>(d + i * 2);
      _mm_storeu_si128(dp, _mm_blendv_epi8(sv, _mm_loadu_si128(dp), eq));
      i += 8;
    }
    keyedTail<2>(d, s, i, n, key, cmask);
  }
}

// With AVX-512 (word lanes and 256-bit forms) each 16- or 32-bit lane is stored under the
// "not key" mask and a row's last part-vector is loaded under a lane mask: the destination is
// never read, no scalar tail, no branch on the pixels.

// Rows of 32-bit pixels are wide enough that the stores wait on the destination's cache lines;
// asking for the lines this many rows ahead lets them arrive while earlier rows are copied.
// More rows ask for more lines than the processor can await at once before the first store
// (12 made glyph-sized blits a fifth slower than 8).
constexpr std::int32_t kRowsAhead = 8;

// Asks for the cache lines of a destination row of the given bytes before it is stored.
[[gnu::always_inline]] inline void prefetchRow(std::uint8_t* row, std::int32_t bytes) {
  __builtin_prefetch(row, 1);
  __builtin_prefetch(row + bytes - 1, 1);
}

// Rows of 16 pixels or more, 16 at a time in 512-bit vectors: half the stores waiting for
// lines. Kept apart from the narrow rows' kernel, which then never sets up 512-bit registers
// (doing so on every glyph-sized blit made those half as slow again).
__attribute__((target("avx512f,avx512bw,prfchw"), noinline)) void keyed32Avx512Wide(
    std::uint8_t* d, std::ptrdiff_t dPitch, const std::uint8_t* s, std::ptrdiff_t sPitch, std::int32_t n,
    std::int32_t h, std::uint32_t key, std::uint32_t cmask) {
  const __m512i kv = _mm512_set1_epi32(static_cast<int>(key & cmask));
  const __m512i mv = _mm512_set1_epi32(static_cast<int>(cmask));
  const auto tail = static_cast<__mmask16>((1u << (n & 15)) - 1);
  const std::int32_t whole = n & ~15;
  for (std::int32_t y = 0; y < kRowsAhead && y < h; ++y) prefetchRow(d + y * dPitch, n * 4);
  for (std::int32_t y = 0; y < h; ++y, d += dPitch, s += sPitch) {
    if (y + kRowsAhead < h) prefetchRow(d + kRowsAhead * dPitch, n * 4);
    for (std::int32_t i = 0; i < whole; i += 16) {
      const __m512i sv = _mm512_loadu_si512(s + i * 4);
      _mm512_mask_storeu_epi32(d + i * 4, _mm512_cmpneq_epi32_mask(_mm512_and_si512(sv, mv), kv), sv);
    }
    if (tail != 0) {
      const __m512i sv = _mm512_maskz_loadu_epi32(tail, s + whole * 4);
      _mm512_mask_storeu_epi32(d + whole * 4, _mm512_mask_cmpneq_epi32_mask(tail, _mm512_and_si512(sv, mv), kv), sv);
    }
  }
}

__attribute__((target("avx512bw,avx512vl,prfchw"))) void keyed32Avx512(std::uint8_t* d, std::ptrdiff_t dPitch,
                                                                       const std::uint8_t* s, std::ptrdiff_t sPitch,
                                                                       std::int32_t n, std::int32_t h,
                                                                       std::uint32_t key, std::uint32_t cmask) {
  if (n >= 16) {
    keyed32Avx512Wide(d, dPitch, s, sPitch, n, h, key, cmask);
    return;
  }
  const __m256i kv = _mm256_set1_epi32(static_cast<int>(key & cmask));
  const __m256i mv = _mm256_set1_epi32(static_cast<int>(cmask));
  const auto tail = static_cast<__mmask8>((1u << (n & 7)) - 1);
  const std::int32_t whole = n & ~7;
  for (std::int32_t y = 0; y < kRowsAhead && y < h; ++y) prefetchRow(d + y * dPitch, n * 4);
  for (std::int32_t y = 0; y < h; ++y, d += dPitch, s += sPitch) {
    if (y + kRowsAhead < h) prefetchRow(d + kRowsAhead * dPitch, n * 4);
    for (std::int32_t i = 0; i < whole; i += 8) {
      const __m256i sv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i * 4));
      _mm256_mask_storeu_epi32(d + i * 4, _mm256_cmpneq_epi32_mask(_mm256_and_si256(sv, mv), kv), sv);
    }
    if (tail != 0) {
      const __m256i sv = _mm256_maskz_loadu_epi32(tail, s + whole * 4);
      _mm256_mask_storeu_epi32(d + whole * 4, _mm256_mask_cmpneq_epi32_mask(tail, _mm256_and_si256(sv, mv), kv), sv);
    }
  }
}

__attribute__((target("avx512bw,avx512vl"))) void keyed16Avx512(std::uint8_t* d, std::ptrdiff_t dPitch,
                                                                const std::uint8_t* s, std::ptrdiff_t sPitch,
                                                                std::int32_t n, std::int32_t h, std::uint32_t key,
                                                                std::uint32_t cmask) {
  const __m256i kv = _mm256_set1_epi16(static_cast<short>(key & cmask));
  const __m256i mv = _mm256_set1_epi16(static_cast<short>(cmask));
  const auto tail = static_cast<__mmask16>((1u << (n & 15)) - 1);
  const std::int32_t whole = n & ~15;
  for (std::int32_t y = 0; y < h; ++y, d += dPitch, s += sPitch) {
    for (std::int32_t i = 0; i < whole; i += 16) {
      const __m256i sv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i * 2));
      _mm256_mask_storeu_epi16(d + i * 2, _mm256_cmpneq_epi16_mask(_mm256_and_si256(sv, mv), kv), sv);
    }
    if (tail != 0) {
      const __m256i sv = _mm256_maskz_loadu_epi16(tail, s + whole * 2);
      _mm256_mask_storeu_epi16(d + whole * 2, _mm256_mask_cmpneq_epi16_mask(tail, _mm256_and_si256(sv, mv), kv), sv);
    }
  }
}

// 16- and 32-bit words by SSE2 compares (part of every x86-64 processor).
template <int kBytes>
std::uint32_t maskWordSse2(const std::uint8_t* p, std::int32_t count, std::uint32_t key, std::uint32_t cmask) {
  if (count < 32) return maskWordPlain<kBytes>(p, count, key, cmask);
  std::uint32_t same = 0;
  if constexpr (kBytes == 4) {
    const __m128i kv = _mm_set1_epi32(static_cast<int>(key));
    const __m128i mv = _mm_set1_epi32(static_cast<int>(cmask));
    for (int i = 0; i < 32; i += 4) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i * 4));
      const __m128i eq = _mm_cmpeq_epi32(_mm_and_si128(v, mv), kv);
      same |= std::uint32_t(_mm_movemask_ps(_mm_castsi128_ps(eq))) << i;
    }
  } else {
    const __m128i kv = _mm_set1_epi16(static_cast<short>(key));
    const __m128i mv = _mm_set1_epi16(static_cast<short>(cmask));
    for (int i = 0; i < 32; i += 16) {
      const auto* q = reinterpret_cast<const __m128i*>(p + i * 2);
      const __m128i a = _mm_cmpeq_epi16(_mm_and_si128(_mm_loadu_si128(q), mv), kv);
      const __m128i b = _mm_cmpeq_epi16(_mm_and_si128(_mm_loadu_si128(q + 1), mv), kv);
      same |= std::uint32_t(_mm_movemask_epi8(_mm_packs_epi16(a, b))) << i;
    }
  }
  return ~reverseBits(same);
}

// The four 3-byte pixels in bytes 0..11 of v as words: all ones where a pixel is the key.
__attribute__((target("ssse3"))) inline __m128i sameAsKey24Vector(__m128i v, __m128i kv, __m128i mv) {
  const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
  return _mm_cmpeq_epi32(_mm_and_si128(_mm_shuffle_epi8(v, spread), mv), kv);
}

// Four 3-byte pixels read as 16 bytes at p: bit k set when pixel k is the key.
__attribute__((target("ssse3"))) inline int sameAsKey24(const std::uint8_t* p, __m128i kv, __m128i mv) {
  const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  return _mm_movemask_ps(_mm_castsi128_ps(sameAsKey24Vector(v, kv, mv)));
}

// Sixteen pixels (three whole vectors) per step. Per-pixel "is key" bytes are spread back over
// the pixels' three bytes to blend each vector with the destination; working in whole
// vectors keeps a store from overlapping the next step's loads (which would stall them).
__attribute__((target("ssse3"), always_inline)) inline void keyed24Row(std::uint8_t* d, const std::uint8_t* s,
                                                                       std::int32_t n, std::uint32_t key,
                                                                       std::uint32_t cmask) {
  const __m128i kv = _mm_set1_epi32(static_cast<int>(key & cmask));
  const __m128i mv = _mm_set1_epi32(static_cast<int>(cmask));
  // Pixels 12..15 sit at bytes 4..15 of the third vector.
  const __m128i spreadHigh = _mm_setr_epi8(4, 5, 6, -1, 7, 8, 9, -1, 10, 11, 12, -1, 13, 14, 15, -1);
  const __m128i toBytes0 = _mm_setr_epi8(0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5);
  const __m128i toBytes1 = _mm_setr_epi8(5, 5, 6, 6, 6, 7, 7, 7, 8, 8, 8, 9, 9, 9, 10, 10);
  const __m128i toBytes2 = _mm_setr_epi8(10, 11, 11, 11, 12, 12, 12, 13, 13, 13, 14, 14, 14, 15, 15, 15);
  std::int32_t i = 0;
  for (; i + 16 <= n; i += 16) {
    const std::uint8_t* sp = s + i * 3;
    const auto* sv = reinterpret_cast<const __m128i*>(sp);
    const __m128i s0 = _mm_loadu_si128(sv);
    const __m128i s1 = _mm_loadu_si128(sv + 1);
    const __m128i s2 = _mm_loadu_si128(sv + 2);
    const __m128i e0 = sameAsKey24Vector(s0, kv, mv);
    const __m128i e1 = sameAsKey24Vector(_mm_loadu_si128(reinterpret_cast<const __m128i*>(sp + 12)), kv, mv);
    const __m128i e2 = sameAsKey24Vector(_mm_loadu_si128(reinterpret_cast<const __m128i*>(sp + 24)), kv, mv);
    const __m128i e3 = _mm_cmpeq_epi32(_mm_and_si128(_mm_shuffle_epi8(s2, spreadHigh), mv), kv);
    const __m128i isKey = _mm_packs_epi16(_mm_packs_epi32(e0, e1), _mm_packs_epi32(e2, e3));
    const int m = _mm_movemask_epi8(isKey);
    if (m == 0xFFFF) continue;
    auto* dv = reinterpret_cast<__m128i*>(d + i * 3);
    if (m == 0) {
      _mm_storeu_si128(dv, s0);
      _mm_storeu_si128(dv + 1, s1);
      _mm_storeu_si128(dv + 2, s2);
      continue;
    }
    const __m128i k0 = _mm_shuffle_epi8(isKey, toBytes0);
    const __m128i k1 = _mm_shuffle_epi8(isKey, toBytes1);
    const __m128i k2 = _mm_shuffle_epi8(isKey, toBytes2);
    _mm_storeu_si128(dv, _mm_or_si128(_mm_and_si128(k0, _mm_loadu_si128(dv)), _mm_andnot_si128(k0, s0)));
    _mm_storeu_si128(dv + 1, _mm_or_si128(_mm_and_si128(k1, _mm_loadu_si128(dv + 1)), _mm_andnot_si128(k1, s1)));
    _mm_storeu_si128(dv + 2, _mm_or_si128(_mm_and_si128(k2, _mm_loadu_si128(dv + 2)), _mm_andnot_si128(k2, s2)));
  }
  keyedTail<3>(d, s, i, n, key, cmask);
}

__attribute__((target("ssse3"))) void keyed24Ssse3(std::uint8_t* d, std::ptrdiff_t dPitch, const std::uint8_t* s,
                                                   std::ptrdiff_t sPitch, std::int32_t n, std::int32_t h,
                                                   std::uint32_t key, std::uint32_t cmask) {
  for (std::int32_t y = 0; y < h; ++y, d += dPitch, s += sPitch) keyed24Row(d, s, n, key, cmask);
}

__attribute__((target("ssse3"))) std::uint32_t maskWord24Ssse3(const std::uint8_t* p, std::int32_t count,
                                                               std::uint32_t key, std::uint32_t cmask) {
  if (count < 32) return maskWordPlain<3>(p, count, key, cmask);
  const __m128i kv = _mm_set1_epi32(static_cast<int>(key));
  const __m128i mv = _mm_set1_epi32(static_cast<int>(cmask));
  // 28 pixels by vector (the last 16-byte read ends inside the word), 4 plainly.
  std::uint32_t same = 0;
  for (int i = 0; i < 28; i += 4) same |= std::uint32_t(sameAsKey24(p + i * 3, kv, mv)) << i;
  for (int i = 28; i < 32; ++i) {
    if ((loadPixel<3>(p + i * 3) & cmask) == key) same |= 1u << i;
  }
  return ~reverseBits(same);
}
#endif

}  // namespace

std::vector<KeyedBlockFn> keyedBlocksRunnable(int bytesPerPixel) {
  std::vector<KeyedBlockFn> all;
  switch (bytesPerPixel) {
    case 2: all.push_back(keyedPlain<2>); break;
    case 3: all.push_back(keyedPlain<3>); break;
    default: all.push_back(keyedPlain<4>); break;
  }
#ifdef KORVO_X86
  if (bytesPerPixel == 3) {
    if (__builtin_cpu_supports("ssse3")) all.push_back(keyed24Ssse3);
    return all;
  }
  const bool wide = bytesPerPixel == 4;
  if (__builtin_cpu_supports("avx2")) all.push_back(wide ? keyed32Avx2 : keyed16Avx2);
  if (__builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vl")) {
    all.push_back(wide ? keyed32Avx512 : keyed16Avx512);
  }
#endif
  return all;
}

KeyedBlockFn keyedBlockFor(int bytesPerPixel) { return keyedBlocksRunnable(bytesPerPixel).back(); }

MaskWordFn maskWordFor(int bytesPerPixel) {
#ifdef KORVO_X86
  static const bool kSsse3 = __builtin_cpu_supports("ssse3");
  switch (bytesPerPixel) {
    case 2: return maskWordSse2<2>;
    case 3: return kSsse3 ? maskWord24Ssse3 : maskWordPlain<3>;
    default: return maskWordSse2<4>;
  }
#else
  switch (bytesPerPixel) {
    case 2: return maskWordPlain<2>;
    case 3: return maskWordPlain<3>;
    default: return maskWordPlain<4>;
  }
#endif
}

}  // namespace korvo::platform
