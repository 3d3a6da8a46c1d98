// Sound files made in the tests from PCM: WAV, Ogg Vorbis (libvorbisenc), MP3 (LAME) and the
// formats only FFmpeg reads here (FLAC, Opus, AAC in MP4, WMA in ASF, by FFmpeg's encoders).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sound_builders.h"

namespace korvo::test {

// Interleaved 16-bit frames and their layout.
struct Pcm {
  std::int32_t rate = 44100;
  std::int32_t channels = 2;
  std::vector<std::int16_t> samples;

  std::size_t frames() const { return samples.size() / static_cast<std::size_t>(channels); }
};

// A tune that is easy to tell from its neighbours: two tones per side under a slow swell.
Pcm testTune(std::int32_t rate, std::int32_t channels, std::size_t frames);

Bytes encodeWav(const Pcm& pcm);
// serial names the Ogg stream (chains need distinct ones).
Bytes encodeVorbis(const Pcm& pcm, int serial = 1);
// CBR at kbps, with the encoder's info frame (its delay and padding) in front.
Bytes encodeMp3(const Pcm& pcm, int kbps = 128);
// Writes pcm to path in the container its extension names, with that container's default
// audio codec; false when this FFmpeg cannot.
bool encodeMedia(const Pcm& pcm, const std::string& path);

// The PCM of bytes as 16-bit values (native order).
std::vector<std::int16_t> samples16(const std::vector<std::uint8_t>& bytes);
// The best correlation of b against a (one channel of each, every channels-th value) for
// shifts of b up to maxLag frames either way.
double bestCorrelation(const std::vector<std::int16_t>& a, const std::vector<std::int16_t>& b, int channels,
                       int maxLag);

}  // namespace korvo::test
