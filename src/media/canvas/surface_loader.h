// Reading image files into surfaces. Input is treated as hostile: bytes reach the decoder only
// through our own I/O callbacks over a file opened by the path rules, only the formats a 2D
// program needs are accepted, and the header is read before any pixel so that oversized
// images are refused before decoding.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "media/canvas/pixel_format.h"
#include "media/canvas/surface.h"

namespace korvo::platform {

// Largest image width or height accepted.
inline constexpr std::int32_t kMaxImageSide = 16384;
// Largest decoded image accepted, in bytes at 32 bits per pixel.
inline constexpr std::uint64_t kMaxImageBytes = std::uint64_t{256} << 20;

// The picture in file (PNG, BMP, JPEG, TGA, GIF or PCX; detected by content, then by the
// name's extension) as an upright, opaque surface in format; null on any failure.
std::shared_ptr<Surface> loadSurface(std::string_view file, const PixelFormat& format);

}  // namespace korvo::platform
