// 24-bit BMP output: file header, info header, bottom-up rows padded with zeros.
#include "backend/bmp_writer.h"

#include <vector>

namespace korvo::platform {
namespace {

void put16(std::uint8_t* at, std::uint32_t v) {
  at[0] = static_cast<std::uint8_t>(v);
  at[1] = static_cast<std::uint8_t>(v >> 8);
}

void put32(std::uint8_t* at, std::uint32_t v) {
  put16(at, v & 0xFFFF);
  put16(at + 2, v >> 16);
}

}  // namespace

std::uint32_t bmpRowSize(std::int32_t width) { return (static_cast<std::uint32_t>(width) * 3 + 3) & ~3u; }

bool writeBmp24(std::ostream& out, std::int32_t width, std::int32_t height, const BmpRowSource& rows) {
  if (width <= 0 || height <= 0) return false;
  const std::uint64_t rowSize = bmpRowSize(width);
  const std::uint64_t fileSize = rowSize * static_cast<std::uint64_t>(height) + 54;
  if (fileSize > 0xFFFFFFFFu) return false;

  std::uint8_t header[54] = {'B', 'M'};
  put32(header + 2, static_cast<std::uint32_t>(fileSize));
  put32(header + 10, 54);
  put32(header + 14, 40);
  put32(header + 18, static_cast<std::uint32_t>(width));
  put32(header + 22, static_cast<std::uint32_t>(height));
  put16(header + 26, 1);
  put16(header + 28, 24);
  out.write(reinterpret_cast<const char*>(header), sizeof header);

  std::vector<std::uint32_t> argb(static_cast<std::size_t>(width));
  std::vector<std::uint8_t> bytes(rowSize, 0);
  for (std::int32_t y = height - 1; y >= 0 && out; --y) {
    rows(y, argb.data());
    for (std::int32_t x = 0; x < width; ++x) {
      bytes[3 * x] = static_cast<std::uint8_t>(argb[x]);
      bytes[3 * x + 1] = static_cast<std::uint8_t>(argb[x] >> 8);
      bytes[3 * x + 2] = static_cast<std::uint8_t>(argb[x] >> 16);
    }
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(rowSize));
  }
  out.flush();
  return static_cast<bool>(out);
}

}  // namespace korvo::platform
