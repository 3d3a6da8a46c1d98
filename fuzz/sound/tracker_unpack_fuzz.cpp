// The tracker sample unpacker: the first byte picks depth (bit 0) and variant (bit 1), the
// next two give the frame count (up to four 16-bit blocks), the rest is packed data.
// The output is exactly the frames asked for, so the address checker sees any stray write.
#include <cstdint>
#include <vector>

#include "fuzz_seeds.h"
#include "sound/engine/tracker_unpack.h"
#include "tests/sound/sample_packer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const bool sixteenBit = (data[0] & 1) != 0;
  const bool second = (data[0] & 2) != 0;
  const std::uint32_t frames = static_cast<std::uint32_t>(data[1] | (data[2] << 8));
  // The packed bytes in a buffer of their own size: a read past them is a finding.
  const std::vector<std::uint8_t> packed(data + 3, data + size);
  std::vector<std::uint8_t> out(static_cast<std::size_t>(frames) * (sixteenBit ? 2 : 1));
  korvo::sound::unpackTrackerSample(packed.data(), packed.size(), out.data(), frames, sixteenBit, second);
  return 0;
}

void korvo::fuzz::makeSeeds(Seeds& seeds) {
  using korvo::sound::test::packTrackerSample;
  std::vector<std::int16_t> wave(0x4000 + 100);
  for (std::size_t i = 0; i < wave.size(); ++i) wave[i] = static_cast<std::int16_t>((i * 40503u) & 0xFFFF);
  std::vector<std::int16_t> small(300);
  // Bytes 0, 7, 14 ... read as two's complement: a wave that wraps from 127 to -128.
  for (std::size_t i = 0; i < small.size(); ++i) {
    const int byte = static_cast<int>((i * 7) & 0xFF);
    small[i] = static_cast<std::int16_t>(byte < 128 ? byte : byte - 256);
  }
  const auto seed = [&](const char* name, std::uint8_t flags, const std::vector<std::int16_t>& values) {
    const std::uint32_t frames = static_cast<std::uint32_t>(values.size());
    Bytes b = {flags, static_cast<std::uint8_t>(frames & 0xFF), static_cast<std::uint8_t>(frames >> 8)};
    const auto packed = packTrackerSample(values, flags & 1, flags & 2);
    b.insert(b.end(), packed.begin(), packed.end());
    seeds.add(name, b);
  };
  seed("8bit.bin", 0, small);
  seed("8bit_second.bin", 2, small);
  seed("16bit_blocks.bin", 1, wave);
  seed("16bit_second.bin", 3, small);
  // Width changes by all three rules (8-bit): 9, 3, 8, 2, 9.
  korvo::sound::test::BitWriter bits;
  bits.put(5, 9);
  bits.put(0x100 | 2, 9);
  bits.put(7, 3);
  bits.put(4, 3);
  bits.put(6, 3);
  bits.put(0x7D, 8);
  bits.put(2, 2);
  bits.put(7, 3);
  bits.put(0xFE, 9);
  Bytes widths = {0, 4, 0, static_cast<std::uint8_t>(bits.bytes.size()), 0};
  widths.insert(widths.end(), bits.bytes.begin(), bits.bytes.end());
  seeds.add("8bit_widths.bin", widths);
}
