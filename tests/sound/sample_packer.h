// Tracker sample compression for tests: values packed at the full code width (no width
// changes), as deltas of deltas for the second variant, in blocks of the unpacker's sizes.
#pragma once

#include <cstdint>
#include <vector>

namespace korvo::sound::test {

// Bits appended least significant first.
class BitWriter {
 public:
  void put(std::uint32_t value, int count) {
    for (int i = 0; i < count; ++i, ++bit_) {
      if ((bit_ & 7) == 0) bytes.push_back(0);
      bytes.back() = static_cast<std::uint8_t>(bytes.back() | (((value >> i) & 1u) << (bit_ & 7)));
    }
  }
  std::vector<std::uint8_t> bytes;

 private:
  std::size_t bit_ = 0;
};

// Blocks of values (signed 8- or 16-bit), each block's bytes after its 16-bit length.
inline std::vector<std::uint8_t> packTrackerSample(const std::vector<std::int16_t>& values, bool sixteenBit,
                                                   bool secondVariant) {
  const std::size_t block = sixteenBit ? 0x4000 : 0x8000;
  const int width = sixteenBit ? 17 : 9;
  const std::uint32_t mask = sixteenBit ? 0xFFFF : 0xFF;
  std::vector<std::uint8_t> out;
  for (std::size_t start = 0; start < values.size(); start += block) {
    BitWriter bits;
    std::int32_t last = 0, lastDelta = 0;
    for (std::size_t i = start; i < values.size() && i < start + block; ++i) {
      const std::int32_t delta = values[i] - last;
      last = values[i];
      const std::int32_t code = secondVariant ? delta - lastDelta : delta;
      lastDelta = delta;
      bits.put(static_cast<std::uint32_t>(code) & mask, width);
    }
    out.push_back(static_cast<std::uint8_t>(bits.bytes.size() & 0xFF));
    out.push_back(static_cast<std::uint8_t>(bits.bytes.size() >> 8));
    out.insert(out.end(), bits.bytes.begin(), bits.bytes.end());
  }
  return out;
}

}  // namespace korvo::sound::test
