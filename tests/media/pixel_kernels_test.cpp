// The keyed-copy kernels: every vector kernel this processor runs writes what the plain loop
// writes, for every block width up to a few vectors (whole vectors, part-vector tails, widths
// below one vector) and for keys whose ignored bits differ from the pixels'.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "media/canvas/pixel_kernels.h"

namespace korvo::platform {
namespace {

struct Case {
  int bytes;
  std::uint32_t cmask;
};

TEST(KeyedKernels, EveryKernelWritesWhatThePlainLoopWrites) {
  // Colour bits of 5-6-5, 3-byte and 32-bit pixels with an unused or alpha top byte.
  for (const Case c : {Case{2, 0xFFFF}, Case{3, 0xFFFFFF}, Case{4, 0xFFFFFF}}) {
    const std::vector<KeyedBlockFn> kernels = keyedBlocksRunnable(c.bytes);
    ASSERT_FALSE(kernels.empty());
    std::mt19937 rng(77 + c.bytes);
    constexpr int kRows = 5;
    constexpr int kMaxWidth = 70;
    // Pitches wider than a row, so a kernel writing past its row shows in the gap.
    const std::ptrdiff_t sPitch = std::ptrdiff_t{kMaxWidth + 3} * c.bytes;
    const std::ptrdiff_t dPitch = std::ptrdiff_t{kMaxWidth + 5} * c.bytes;
    // The key with its ignored top bits set, unlike the source pixels that match it.
    const std::uint32_t key = 0xAB00F81Fu & (c.bytes == 2 ? 0xFFFFu : 0xFFFFFFFFu);
    std::vector<std::uint8_t> src(sPitch * kRows);
    for (std::size_t i = 0; i < src.size(); i += c.bytes) {
      const std::uint32_t v = rng() % 3 ? key & c.cmask : rng();
      for (int b = 0; b < c.bytes; ++b) src[i + b] = static_cast<std::uint8_t>(v >> (8 * b));
    }
    std::vector<std::uint8_t> dst(dPitch * kRows);
    for (auto& b : dst) b = static_cast<std::uint8_t>(rng());
    for (std::size_t k = 1; k < kernels.size(); ++k) {
      for (int n = 1; n < kMaxWidth; ++n) {
        // Source and destination one pixel in, so no row starts on a vector boundary.
        std::vector<std::uint8_t> expected = dst;
        std::vector<std::uint8_t> actual = dst;
        kernels[0](expected.data() + c.bytes, dPitch, src.data() + c.bytes, sPitch, n, kRows, key, c.cmask);
        kernels[k](actual.data() + c.bytes, dPitch, src.data() + c.bytes, sPitch, n, kRows, key, c.cmask);
        ASSERT_EQ(actual, expected) << c.bytes << " bytes, kernel " << k << ", width " << n;
      }
    }
  }
}

}  // namespace
}  // namespace korvo::platform
