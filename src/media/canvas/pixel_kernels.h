// Inner loops that compare pixels with a key colour: the rows of the colour-keyed copy and
// the words of the collision mask, one kernel per pixel size, chosen once for the processor.
#pragma once

#include <cstdint>

namespace korvo::platform {

// Copies n pixels from s to d, skipping those whose colour bits (cmask) equal the key's.
using KeyedRowFn = void (*)(std::uint8_t* d, const std::uint8_t* s, std::int32_t n,
                            std::uint32_t key, std::uint32_t cmask);

// The fastest kernel this processor runs for pixels of bytesPerPixel (2, 3 or 4) bytes.
KeyedRowFn keyedRowFor(int bytesPerPixel);

// Mask bits of up to 32 pixels at p: bit 31 - k set when pixel k's colour bits (cmask) differ
// from key (already masked). Only count pixels are read.
using MaskWordFn = std::uint32_t (*)(const std::uint8_t* p, std::int32_t count, std::uint32_t key,
                                     std::uint32_t cmask);

// The fastest mask kernel this processor runs for pixels of bytesPerPixel bytes.
MaskWordFn maskWordFor(int bytesPerPixel);

}  // namespace korvo::platform
