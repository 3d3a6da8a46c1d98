// LoadBuffer and SaveBuffer: a picture stretched over a whole buffer, and a buffer written
// as a 24-bit BMP file.
#include <fstream>

#include "backend/bmp_writer.h"
#include "backend/path_resolver.h"
#include "media/canvas/surface_loader.h"
#include "media/graphics/graphics_commands.h"
#include "media/graphics/graphics_state.h"

namespace korvo::platform {
namespace {

// src scaled to width × height: bilinear with the transform filter, nearest without.
std::shared_ptr<Surface> stretch(const Surface& src, std::int32_t width, std::int32_t height, bool filter) {
  auto dst = Surface::create(width, height, src.format());
  if (!dst) return nullptr;
  const PixelFormat& f = src.format();
  const double sx = static_cast<double>(src.width()) / width;
  const double sy = static_cast<double>(src.height()) / height;
  for (std::int32_t y = 0; y < height; ++y) {
    for (std::int32_t x = 0; x < width; ++x) {
      std::uint32_t argb;
      if (!filter) {
        argb = f.fetch(src.at(static_cast<std::int32_t>(x * sx), static_cast<std::int32_t>(y * sy)));
      } else {
        // Sample at the pixel centre and mix the four neighbours.
        const double fx = std::max(0.0, (x + 0.5) * sx - 0.5), fy = std::max(0.0, (y + 0.5) * sy - 0.5);
        const std::int32_t x0 = std::min(static_cast<std::int32_t>(fx), src.width() - 1);
        const std::int32_t y0 = std::min(static_cast<std::int32_t>(fy), src.height() - 1);
        const std::int32_t x1 = std::min(x0 + 1, src.width() - 1), y1 = std::min(y0 + 1, src.height() - 1);
        const double ax = fx - x0, ay = fy - y0;
        const std::uint32_t p[4] = {f.fetch(src.at(x0, y0)), f.fetch(src.at(x1, y0)), f.fetch(src.at(x0, y1)),
                                    f.fetch(src.at(x1, y1))};
        argb = 0;
        for (int shift = 0; shift < 32; shift += 8) {
          auto c = [&](int i) { return static_cast<double>((p[i] >> shift) & 0xFF); };
          const double top = c(0) + (c(1) - c(0)) * ax, bottom = c(2) + (c(3) - c(2)) * ax;
          // Rounded half up: the channel is never negative, so truncating after adding a half is exact.
          const double halfUp = top + (bottom - top) * ay + 0.5;
          argb |= static_cast<std::uint32_t>(halfUp) << shift;
        }
      }
      f.store(dst->at(x, y), argb);
    }
  }
  return dst;
}

}  // namespace

}  // namespace korvo::platform

namespace korvo::cmd {

std::int32_t LoadBuffer(std::int32_t buffer, KvString* file) {
  core::StringArg name(file);
  platform::Canvas* target = platform::liveBuffer(buffer);
  if (!target) return 0;
  auto picture = platform::loadSurface(name.view(), target->format());
  if (!picture) return 0;
  if (picture->width() != target->width() || picture->height() != target->height()) {
    picture = platform::stretch(*picture, target->width(), target->height(), platform::graphicsState().transformFilter);
    if (!picture) return 0;
  }
  const platform::Canvas source(std::move(picture));
  const std::int32_t ox = target->originX(), oy = target->originY();
  target->setOrigin(0, 0);
  target->blit(0, 0, source, 0, 0, source.width(), source.height(), true);
  target->setOrigin(ox, oy);
  return 1;
}

std::int32_t SaveBuffer(std::int32_t buffer, KvString* file) {
  core::StringArg name(file);
  platform::Canvas* source = platform::liveBuffer(buffer);
  if (!source) return 0;
  std::ofstream out(platform::resolvePath(name.view()), std::ios::binary | std::ios::trunc);
  if (!out) return 0;
  source->lock();
  const platform::Surface& s = source->surface();
  const platform::FetchFn fetch = s.format().fetchFn();
  const std::int32_t bpp = s.format().bytesPerPixel();
  const bool ok = platform::writeBmp24(out, s.width(), s.height(), [&](std::int32_t y, std::uint32_t* row) {
    const std::uint8_t* p = s.at(0, y);
    for (std::int32_t x = 0; x < s.width(); ++x, p += bpp) row[x] = fetch(p, s.format());
  });
  source->unlock();
  return ok ? 1 : 0;
}

}  // namespace korvo::cmd
