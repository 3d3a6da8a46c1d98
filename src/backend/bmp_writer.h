// Writes 24-bit BMP files: the byte layout display snapshots and saved buffers share.
#pragma once

#include <cstdint>
#include <functional>
#include <ostream>

namespace korvo::platform {

// Fills row with the width ARGB pixels of row y.
using BmpRowSource = std::function<void(std::int32_t y, std::uint32_t* row)>;

// Bytes per stored row: 3 per pixel, padded to a multiple of 4.
std::uint32_t bmpRowSize(std::int32_t width);

// Writes the 54-byte headers and the rows bottom-up; true when the stream is still good.
// Nothing is written for a size that does not fit the format's 32-bit fields.
bool writeBmp24(std::ostream& out, std::int32_t width, std::int32_t height, const BmpRowSource& rows);

}  // namespace korvo::platform
