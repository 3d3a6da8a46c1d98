// Uncompressed 16- and 32-bit BMP files with channel masks (BITFIELDS, as written with V4 and
// V5 headers). The decoding library refuses the larger headers and ignores unusual masks, so
// these files are read here.
#pragma once

#include <memory>

#include "media/canvas/image_header.h"
#include "media/canvas/pixel_format.h"
#include "media/canvas/surface.h"

namespace korvo::platform {

// True for a BMP whose pixels are 16 or 32 bits with channel masks.
bool isBitfieldsBmp(ByteSource& file);

// The picture as an upright, opaque surface in format; null when the file is not such a BMP,
// is truncated, or its masks are not 8 bits or narrower per channel.
std::shared_ptr<Surface> loadBitfieldsBmp(ByteSource& file, const PixelFormat& format);

}  // namespace korvo::platform
