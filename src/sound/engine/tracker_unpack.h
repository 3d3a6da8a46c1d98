// The tracker sample compression that sample uploads unpack (mode bits 0x400, and 0x800 for
// its second variant): blocks of variable-width bit codes holding deltas, summed once (first
// variant) or twice (second variant).
#pragma once

#include <cstddef>
#include <cstdint>

namespace korvo::sound {

// Unpacks frames samples (signed 8-bit, or signed 16-bit native when sixteenBit) from the
// inBytes bytes at in into out. Reads never pass in + inBytes and writes never pass frames;
// what the data cannot supply (cut short, or a code no encoder writes) is silence.
void unpackTrackerSample(const std::uint8_t* in, std::size_t inBytes, void* out, std::uint32_t frames, bool sixteenBit,
                         bool secondVariant);

}  // namespace korvo::sound
