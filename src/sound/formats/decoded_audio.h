// What a sound file decodes to, before it becomes an engine sample: the sample's mode word,
// rate, length, loop and cue points, and its PCM bytes with the conventions they are given in
// (which the sample upload converts from).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace korvo::sound::formats {

// Sample mode bits that the loaders read or set.
inline constexpr std::uint32_t kModeLoopOff = 0x1;
inline constexpr std::uint32_t kModeLoopNormal = 0x2;
inline constexpr std::uint32_t kModeLoopBidi = 0x4;
inline constexpr std::uint32_t kMode8Bits = 0x8;
inline constexpr std::uint32_t kMode16Bits = 0x10;
inline constexpr std::uint32_t kModeMono = 0x20;
inline constexpr std::uint32_t kModeStereo = 0x40;
inline constexpr std::uint32_t kModeUnsigned = 0x80;
inline constexpr std::uint32_t kModeSigned = 0x100;
inline constexpr std::uint32_t kModeDelta = 0x200;
inline constexpr std::uint32_t kModeFromMemory = 0x8000;
inline constexpr std::uint32_t kModeRaw = 0x10000;
// Depth, channel and sign bits: what a file's own format replaces in the requested mode.
inline constexpr std::uint32_t kModeFormatBits = kMode8Bits | kMode16Bits | kModeMono | kModeStereo | kModeUnsigned | kModeSigned;

// Results of a load, numbered as the engine's last-error codes.
enum LoadCode : int {
  kLoadOk = 0,
  kLoadOpenFailed = 9,
  kLoadNotRecognised = 10,  // the next loader may try
  kLoadEmptyRaw = 11,
  kLoadNoMemory = 12,
  kLoadBadArgument = 14,
};

// Decoded PCM is capped here; a file claiming more is refused as out of memory.
inline constexpr std::size_t kMaxPcmBytes = std::size_t{1} << 30;

// A named position in the sample, in frames.
struct CuePoint {
  std::uint32_t position = 0;
  std::string name;  // at most 255 characters
};

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
  bool loopFound = false;  // the file names a loop: normal looping unless loop off was asked for
  std::vector<CuePoint> cues;  // sorted by position
  std::vector<std::uint8_t> pcm;

  std::int32_t frameBytes() const { return bits / 8 * channels; }
  // The default pan: centred for mono, unpanned (-1) for stereo.
  std::int32_t pan() const { return channels == 2 ? -1 : 128; }
};

}  // namespace korvo::sound::formats
