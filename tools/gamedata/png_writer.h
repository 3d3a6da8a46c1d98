// PNG files through libpng: 32-bit RGBA for masked sheets (magenta marks the transparent
// pixels, every pixel opaque) or 24-bit RGB. No time or text chunks, so equal pictures give
// equal bytes.
#pragma once

#include <cstdint>
#include <vector>

#include "image.h"

namespace tobrix::gamedata {

std::vector<std::uint8_t> encodePng(const Image& image, bool withAlpha);

}  // namespace tobrix::gamedata
