// A movie's sound track decoded by FFmpeg alone, as the reference that what the runtime plays
// is held against.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace korvo::testing {

// The first audio stream of the file at path as interleaved 16-bit stereo at rate; empty when
// it has none or cannot be decoded.
std::vector<std::int16_t> decodeSoundTrack(const std::string& path, std::int32_t rate);

}  // namespace korvo::testing
