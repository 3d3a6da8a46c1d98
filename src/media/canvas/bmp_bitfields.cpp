// BITFIELDS BMP reader: header fields, masks from the header or after it, then rows read one
// at a time and converted through a pixel format made from the file's masks.
#include "media/canvas/bmp_bitfields.h"

#include <cstdlib>
#include <vector>

namespace korvo::platform {
namespace {

constexpr std::uint32_t kBitfields = 3;
constexpr std::uint32_t kAlphaBitfields = 6;

std::uint32_t le16(const std::uint8_t* p) { return p[0] | (p[1] << 8); }
std::uint32_t le32(const std::uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t{p[3]} << 24); }

}  // namespace

bool isBitfieldsBmp(ByteSource& file) {
  std::uint8_t h[34];
  if (file.readAt(0, h, sizeof h) != sizeof h || h[0] != 'B' || h[1] != 'M') return false;
  const std::uint32_t depth = le16(h + 28);
  const std::uint32_t compression = le32(h + 30);
  return le32(h + 14) >= 40 && (depth == 16 || depth == 32) &&
         (compression == kBitfields || compression == kAlphaBitfields);
}

std::shared_ptr<Surface> loadBitfieldsBmp(ByteSource& file, const PixelFormat& format) {
  std::uint8_t h[70] = {};
  if (file.readAt(0, h, 54) != 54 || h[0] != 'B' || h[1] != 'M') return nullptr;
  const std::uint32_t dataOffset = le32(h + 10);
  const std::uint32_t infoSize = le32(h + 14);
  const auto width = static_cast<std::int32_t>(le32(h + 18));
  const auto height = static_cast<std::int32_t>(le32(h + 22));
  const std::uint32_t depth = le16(h + 28);
  const std::uint32_t compression = le32(h + 30);
  if (infoSize < 40 || (compression != kBitfields && compression != kAlphaBitfields)) {
    return nullptr;
  }
  if ((depth != 16 && depth != 32) || width <= 0 || height == 0 || height == INT32_MIN) {
    return nullptr;
  }
  // Masks sit inside a larger header, or follow a 40-byte one.
  const std::size_t maskBytes = compression == kAlphaBitfields ? 16 : 12;
  if (file.readAt(54, h + 54, maskBytes) != maskBytes) return nullptr;
  const std::uint32_t alpha = (compression == kAlphaBitfields || infoSize >= 56) ? le32(h + 66) : 0;
  const auto source = PixelFormat::fromMasks(static_cast<int>(depth), alpha, le32(h + 54), le32(h + 58), le32(h + 62));
  if (!source) return nullptr;

  const std::int32_t rows = std::abs(height);
  auto surface = Surface::create(width, rows, format);
  if (!surface) return nullptr;
  const std::size_t rowSize = (std::size_t(width) * depth + 31) / 32 * 4;
  std::vector<std::uint8_t> row(rowSize);
  const StoreFn store = format.storeFn();
  const int bytes = source->bytesPerPixel();
  for (std::int32_t r = 0; r < rows; ++r) {
    if (file.readAt(dataOffset + std::uint64_t(r) * rowSize, row.data(), rowSize) != rowSize) {
      return nullptr;
    }
    // Positive heights store the bottom row first.
    std::uint8_t* out = surface->at(0, height > 0 ? rows - 1 - r : r);
    for (std::int32_t x = 0; x < width; ++x) {
      store(out + x * format.bytesPerPixel(), source->fetch(row.data() + x * bytes) | 0xFF000000u, format);
    }
  }
  return surface;
}

}  // namespace korvo::platform
