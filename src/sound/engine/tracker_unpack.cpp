// Each block starts with its packed length (16-bit little-endian) and unpacks to at most
// 32768 8-bit or 16384 16-bit samples. Codes are read least significant bit first. A code of
// the current width is either a delta or, by three rules that depend on the width, a change
// of width; the width starts at depth + 1 in every block. Widths outside 1..depth + 1 cannot
// come from an encoder, and a block's bits may run out: either way the block ends there and
// the rest of it stays silent.
#include "sound/engine/tracker_unpack.h"

#include <algorithm>
#include <cstring>

namespace korvo::sound {
namespace {

// Bits of one block, read least significant first.
class BitReader {
 public:
  BitReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  // False once a read wanted more bits than the block has.
  bool ok() const { return ok_; }
  // count is at most 17.
  std::uint32_t read(int count) {
    while (held_ < count) {
      if (next_ >= size_) {
        ok_ = false;
        return 0;
      }
      bits_ |= static_cast<std::uint32_t>(data_[next_++]) << held_;
      held_ += 8;
    }
    const std::uint32_t value = bits_ & ((1u << count) - 1);
    bits_ >>= count;
    held_ -= count;
    return value;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t next_ = 0;
  std::uint32_t bits_ = 0;
  int held_ = 0;
  bool ok_ = true;
};

// The two depths differ only in their numbers.
struct Depth {
  int bits;              // 8 or 16
  int widthChangeBits;   // the first rule's field: 3 or 4
  std::uint32_t border;  // the second rule's window: 4 or 8 below the top of the width
  std::uint32_t blockSamples;
};
constexpr Depth kDepth8{8, 3, 4, 0x8000};
constexpr Depth kDepth16{16, 4, 8, 0x4000};

// The width a change code names: a width equal to or above the current one skips it.
int changedWidth(std::uint32_t code, int width) {
  const int named = static_cast<int>(code);
  return named < width ? named : named + 1;
}

template <typename Out>
void unpackBlock(BitReader& bits, const Depth& depth, Out* out, std::uint32_t count, bool secondVariant) {
  const int topWidth = depth.bits + 1;
  int width = topWidth;
  Out sum1 = 0;
  Out sum2 = 0;
  std::uint32_t done = 0;
  while (done < count) {
    const std::uint32_t code = bits.read(width);
    if (!bits.ok()) return;
    if (width < 7) {
      if (code == 1u << (width - 1)) {
        width = changedWidth(bits.read(depth.widthChangeBits) + 1, width);
        if (!bits.ok()) return;
        continue;
      }
    } else if (width < topWidth) {
      const std::uint32_t border = (((1u << depth.bits) - 1) >> (topWidth - width)) - depth.border;
      if (code > border && code <= border + 2 * depth.border) {
        width = changedWidth(code - border, width);
        continue;
      }
    } else if (code & (1u << depth.bits)) {
      width = static_cast<int>((code + 1) & 0xFF);
      if (width < 1 || width > topWidth) return;
      continue;
    }
    // A delta: the code's low width bits, sign-extended.
    const int shift = 32 - std::min(width, depth.bits);
    const auto delta = static_cast<Out>(static_cast<std::int32_t>(code << shift) >> shift);
    sum1 = static_cast<Out>(sum1 + delta);
    sum2 = static_cast<Out>(sum2 + sum1);
    out[done++] = secondVariant ? sum2 : sum1;
  }
}

template <typename Out>
void unpack(const std::uint8_t* in, std::size_t inBytes, Out* out, std::uint32_t frames, const Depth& depth,
            bool secondVariant) {
  std::size_t at = 0;
  std::uint32_t done = 0;
  while (done < frames && at + 2 <= inBytes) {
    const std::size_t packed = static_cast<std::size_t>(in[at] | (in[at + 1] << 8));
    at += 2;
    const std::size_t have = std::min(packed, inBytes - at);
    BitReader bits(in + at, have);
    const std::uint32_t count = std::min(depth.blockSamples, frames - done);
    unpackBlock(bits, depth, out + done, count, secondVariant);
    at += have;
    done += count;
  }
}

}  // namespace

void unpackTrackerSample(const std::uint8_t* in, std::size_t inBytes, void* out, std::uint32_t frames, bool sixteenBit,
                         bool secondVariant) {
  std::memset(out, 0, static_cast<std::size_t>(frames) * (sixteenBit ? 2u : 1u));
  if (sixteenBit) unpack(in, inBytes, static_cast<std::int16_t*>(out), frames, kDepth16, secondVariant);
  else unpack(in, inBytes, static_cast<std::int8_t*>(out), frames, kDepth8, secondVariant);
}

}  // namespace korvo::sound
