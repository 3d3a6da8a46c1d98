// Movies made for tests, benchmarks and fuzz seeds by FFmpeg's own encoders and muxers: frames
// of one solid colour each (a colour for every frame, from a function), so that what a player
// shows can be told apart frame by frame, and optionally a stereo tone as the sound track.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace korvo::testing {

struct MovieSpec {
  std::string container = "avi";  // FFmpeg's muxer name: "avi", "matroska", "mp4", "mpeg" ...
  std::string codec = "mpeg4";    // an encoder of 4:2:0 pictures: "mpeg4", "mpeg1video", "mpeg2video" ...
  std::int32_t width = 64;
  std::int32_t height = 48;
  std::int32_t fps = 10;
  std::int32_t frames = 30;
  std::int32_t bitRate = 400000;
  // What the frames show: each one colour (below), a gradient moving diagonally, or a
  // textured scene that pans (detail that costs a decoder about what a film's does).
  enum class Picture { kSolid, kGradient, kScene };
  Picture picture = Picture::kSolid;
  // The colour (0xRRGGBB) of frame n for solid frames.
  std::function<std::uint32_t(std::int32_t frame)> colour = [](std::int32_t) { return 0x808080u; };
  bool video = true;  // false: the sound track alone
  // The sound track: none while the rate is 0; a tone sweeping from toneHz up to four times
  // that over the movie (no two stretches alike), twice as loud in the left channel.
  std::int32_t audioRate = 0;
  std::string audioCodec = "pcm_s16le";
  std::int32_t toneHz = 440;
};

// The encoded movie; empty when the encoder or muxer is missing or fails.
std::vector<std::uint8_t> writeMovie(const MovieSpec& spec);
// The same written to path; false on failure.
bool writeMovieFile(const MovieSpec& spec, const std::string& path);

// A colour for each second of a movie: red, green, blue, white, black, yellow, then again.
std::uint32_t colourOfSecond(std::int32_t second);

}  // namespace korvo::testing
