// Inner loops that compare pixels with a key colour: the blocks of the colour-keyed copy and
// the words of the collision mask, one kernel per pixel size, chosen once for the processor.
#pragma once

#include <cstdint>
#include <vector>

namespace korvo::platform {

// Copies h rows of n pixels from s to d (rows sPitch and dPitch bytes apart), skipping the
// pixels whose colour bits (cmask) equal the key's. One call per block keeps the per-blit
// cost of small sprites and glyphs low.
using KeyedBlockFn = void (*)(std::uint8_t* d, std::ptrdiff_t dPitch, const std::uint8_t* s, std::ptrdiff_t sPitch,
                              std::int32_t n, std::int32_t h, std::uint32_t key, std::uint32_t cmask);

// The fastest kernel this processor runs for pixels of bytesPerPixel (2, 3 or 4) bytes.
KeyedBlockFn keyedBlockFor(int bytesPerPixel);

// Every kernel this processor runs for pixels of bytesPerPixel bytes, from the plain one to the
// fastest (tests hold each vector kernel to the plain one).
std::vector<KeyedBlockFn> keyedBlocksRunnable(int bytesPerPixel);

// Mask bits of up to 32 pixels at p: bit 31 - k set when pixel k's colour bits (cmask) differ
// from key (already masked). Only count pixels are read.
using MaskWordFn = std::uint32_t (*)(const std::uint8_t* p, std::int32_t count, std::uint32_t key, std::uint32_t cmask);

// The fastest mask kernel this processor runs for pixels of bytesPerPixel bytes.
MaskWordFn maskWordFor(int bytesPerPixel);

}  // namespace korvo::platform
