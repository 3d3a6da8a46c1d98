// Surface: our own memory surface, the pixels below a canvas. It offers what a canvas needs
// from the surface layer: its size and format, direct pixel access, and fast rectangle
// colour fills and copies with an optional source colour key.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "media/canvas/pixel_format.h"
#include "media/canvas/pixel_kernels.h"
#include "media/canvas/rect.h"

namespace korvo::platform {

class Surface {
 public:
  // Largest width or height a surface may have.
  static constexpr std::int32_t kMaxSide = 32768;
  // Largest pixel store a surface may have, in bytes.
  static constexpr std::size_t kMaxBytes = std::size_t{1} << 30;

  // A surface of width × height cleared to zero; null when a side is not positive, the size
  // exceeds the limits above, or memory runs out.
  static std::shared_ptr<Surface> create(std::int32_t width, std::int32_t height, const PixelFormat& format);

  ~Surface();
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;

  std::int32_t width() const { return width_; }
  std::int32_t height() const { return height_; }
  // Bytes from one row to the next.
  std::int32_t pitch() const { return pitch_; }
  const PixelFormat& format() const { return format_; }
  // (0, 0, width, height).
  Rect rect() const { return {0, 0, width_, height_}; }

  // First pixel of the surface.
  std::uint8_t* pixels() { return pixels_; }
  const std::uint8_t* pixels() const { return pixels_; }
  // Address of pixel (x, y); the caller keeps it inside the surface.
  std::uint8_t* at(std::int32_t x, std::int32_t y) {
    return pixels_ + std::ptrdiff_t{y} * pitch_ + std::ptrdiff_t{x} * format_.bytesPerPixel();
  }
  const std::uint8_t* at(std::int32_t x, std::int32_t y) const {
    return pixels_ + std::ptrdiff_t{y} * pitch_ + std::ptrdiff_t{x} * format_.bytesPerPixel();
  }

  // Fills r (clipped to the surface) with a raw surface value.
  void fill(const Rect& r, std::uint32_t raw);
  // Copies the rectangle s of src to (dx, dy), both clipped to their surfaces. Overlapping
  // copies within one surface are correct. A src of another format is converted per pixel.
  void copyFrom(std::int32_t dx, std::int32_t dy, const Surface& src, const Rect& s);
  // As copyFrom, skipping source pixels whose colour bits equal those of the raw key.
  void copyKeyedFrom(std::int32_t dx, std::int32_t dy, const Surface& src, const Rect& s, std::uint32_t key);
  // copyFrom and copyKeyedFrom for callers that clipped already: d lies inside this surface,
  // s inside src, and both have the same size.
  void copyClipped(const Rect& d, const Surface& src, const Rect& s);
  void copyKeyedClipped(const Rect& d, const Surface& src, const Rect& s, std::uint32_t key);
  // A new surface with the same size, format and pixels; null if it cannot be made.
  std::shared_ptr<Surface> clone() const;

 private:
  Surface(std::int32_t width, std::int32_t height, std::int32_t pitch, const PixelFormat& format, std::uint8_t* pixels);

  std::int32_t width_;
  std::int32_t height_;
  std::int32_t pitch_;
  PixelFormat format_;
  // The keyed-copy kernel for this format, chosen once rather than on every copy.
  KeyedBlockFn keyed_;
  std::uint8_t* pixels_;
};

}  // namespace korvo::platform
