// A small S3M writer for tests: songs described in code become the bytes of an S3M file.
#pragma once

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

namespace korvo::sound::test {

struct S3mSampleSpec {
  // Unsigned data: one byte a frame, or two (little-endian) for 16-bit.
  std::vector<std::uint8_t> data = std::vector<std::uint8_t>(64, 160);
  bool sixteenBit = false;
  bool loop = false;
  std::uint32_t loopStart = 0, loopEnd = 0;
  std::uint8_t volume = 64;
  std::uint16_t c4Rate = 8363;
};

// A cell as the file packs it: note byte (octave << 4 | semitone, 254 cut, 255 none),
// instrument, volume (255 none), effect letter (1 = A), parameter.
struct S3mCell {
  std::uint8_t note = 255;
  std::uint8_t instrument = 0;
  std::uint8_t volume = 255;
  std::uint8_t effect = 0;
  std::uint8_t param = 0;
};

struct S3mSongSpec {
  // Channel settings of the 32 file channels (below 16 enabled: 0..7 left, 8..15 right).
  std::vector<std::uint8_t> channelSettings = {0, 8, 1, 9};
  bool stereo = true;
  std::uint16_t flags = 0;
  std::uint16_t version = 0x1320;
  std::uint8_t globalVolume = 64;
  std::uint8_t speed = 6;
  std::uint8_t tempo = 125;
  std::vector<std::uint8_t> orders = {0};
  // Per pattern: (row, file channel) -> cell.
  std::vector<std::map<std::pair<int, int>, S3mCell>> patterns = {{}};
  std::vector<S3mSampleSpec> samples;
  // Default pans per file channel (written with the 252 marker when not empty).
  std::vector<std::uint8_t> defaultPans;
};

std::vector<std::uint8_t> writeS3m(const S3mSongSpec& spec);

// C-4 as the file writes it.
inline constexpr std::uint8_t kS3mC4 = 0x40;

}  // namespace korvo::sound::test
