// Source columns are worked out once per copy; a row whose source row is the one before
// copies the finished row instead.
#include "media/canvas/stretch_copy.h"

#include <cstring>
#include <vector>

namespace korvo::platform {
namespace {

template <typename Pixel>
void copyRow(std::uint8_t* to, const std::uint8_t* from, const std::vector<std::int32_t>& columns) {
  auto* out = reinterpret_cast<Pixel*>(to);
  const auto* in = reinterpret_cast<const Pixel*>(from);
  for (std::size_t i = 0; i < columns.size(); ++i) out[i] = in[columns[i]];
}

void copyRow24(std::uint8_t* to, const std::uint8_t* from, const std::vector<std::int32_t>& columns) {
  for (std::size_t i = 0; i < columns.size(); ++i) std::memcpy(to + i * 3, from + std::size_t(columns[i]) * 3, 3);
}

}  // namespace

void stretchCopy(Surface& dst, const Rect& to, const Surface& src) {
  const Rect clip = to.intersect(dst.rect());
  if (clip.empty()) return;
  const std::int64_t w = std::int64_t{to.x1} - to.x0;
  const std::int64_t h = std::int64_t{to.y1} - to.y0;
  if (w == src.width() && h == src.height()) {
    dst.copyFrom(to.x0, to.y0, src, src.rect());
    return;
  }
  std::vector<std::int32_t> columns(static_cast<std::size_t>(clip.width()));
  for (std::int32_t x = clip.x0; x < clip.x1; ++x)
    columns[x - clip.x0] = static_cast<std::int32_t>((std::int64_t{x} - to.x0) * src.width() / w);
  const int bpp = dst.format().bytesPerPixel();
  const std::size_t rowBytes = columns.size() * static_cast<std::size_t>(bpp);
  std::int32_t previous = -1;
  for (std::int32_t y = clip.y0; y < clip.y1; ++y) {
    const auto sy = static_cast<std::int32_t>((std::int64_t{y} - to.y0) * src.height() / h);
    std::uint8_t* out = dst.at(clip.x0, y);
    if (sy == previous) {
      std::memcpy(out, dst.at(clip.x0, y - 1), rowBytes);
      continue;
    }
    previous = sy;
    const std::uint8_t* in = src.at(0, sy);
    switch (bpp) {
      case 2: copyRow<std::uint16_t>(out, in, columns); break;
      case 3: copyRow24(out, in, columns); break;
      default: copyRow<std::uint32_t>(out, in, columns); break;
    }
  }
}

}  // namespace korvo::platform
