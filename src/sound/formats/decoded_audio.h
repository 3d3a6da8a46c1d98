// What a sound file decodes to, before it becomes an engine sample: the sample's mode word,
// rate, length, loop and cue points, and its PCM bytes with the conventions they are given in
// (which the sample upload converts from).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sound/engine/engine_error.h"
#include "sound/engine/sample.h"

namespace korvo::sound::formats {

// Depth, channel and sign bits: what a file's own format replaces in the requested mode.
inline constexpr std::uint32_t kModeFormatBits =
    mode::k8Bits | mode::k16Bits | mode::kMono | mode::kStereo | mode::kUnsigned | mode::kSigned;

// Decoded PCM is capped here; a file claiming more is refused as out of memory.
inline constexpr std::size_t kMaxPcmBytes = std::size_t{1} << 30;

struct DecodedAudio {
  std::uint32_t mode = 0;        // the mode word the sample is allocated with
  std::uint32_t sourceMode = 0;  // how pcm is given (depth, channels, unsigned, delta): upload converts
  std::int32_t rate = 44100;     // default frequency in Hz, above 0
  std::int32_t channels = 1;     // 1 or 2
  std::int32_t bits = 16;        // 8 or 16
  std::int32_t frames = 0;       // sample length; pcm holds frames × frameBytes() bytes
  // Inclusive loop points in frames; without a loop in the file, 0..frames-1.
  std::int32_t loopStart = 0;
  std::int32_t loopEnd = -1;
  bool loopFound = false;      // the file names a loop: normal looping unless loop off was asked for
  std::vector<CuePoint> cues;  // sorted by position; names of at most 255 characters
  std::vector<std::uint8_t> pcm;

  std::int32_t frameBytes() const { return bits / 8 * channels; }
  // The default pan: centred for mono, unpanned (-1) for stereo.
  std::int32_t pan() const { return channels == 2 ? -1 : 128; }
};

}  // namespace korvo::sound::formats
