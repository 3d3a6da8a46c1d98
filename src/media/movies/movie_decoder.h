// A movie's pictures through FFmpeg: the first video stream of a local file (or of bytes in
// memory) demuxed, decoded on the calling thread and converted by libswscale into a surface of
// the movie's size in a display's pixel format. Input is treated as hostile: only local files,
// only container formats a movie comes in, sizes refused above kMaxMovieSide, corrupt packets
// skipped, and times taken from the frames, never from what the header claims.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "media/canvas/surface.h"
#include "media/movies/movie_timeline.h"

namespace korvo::platform {

// Largest movie width or height accepted.
inline constexpr std::int32_t kMaxMovieSide = 8192;

class MovieDecoder {
 public:
  // The decoder of the file at path (already resolved by the path rules); null when it cannot
  // be opened, has no video stream that can be decoded, or its size is 0 or too large.
  static std::unique_ptr<MovieDecoder> openFile(const std::string& path);
  // The same over size bytes at data, which must outlive the decoder.
  static std::unique_ptr<MovieDecoder> openMemory(const std::uint8_t* data, std::size_t size);
  // True for the pixel formats frames can be converted into (those of the display's buffers).
  static bool converts(const PixelFormat& format);

  ~MovieDecoder();
  MovieDecoder(const MovieDecoder&) = delete;
  MovieDecoder& operator=(const MovieDecoder&) = delete;

  // The movie's size: its video stream's coded size.
  std::int32_t width() const { return width_; }
  std::int32_t height() const { return height_; }

  // Decodes the next frame if none waits yet; false at the end of the stream.
  bool fetchNext();
  // Milliseconds from the first frame at which the waiting frame is due (fetchNext was true).
  std::int64_t nextTime() const { return nextTime_; }
  // Makes the waiting frame the current one.
  void takeNext();
  // When the current frame stops being shown: its time plus its duration (0 before the first).
  std::int64_t currentEnd() const { return currentEnd_; }
  // Converts the current frame, scaled to the movie's size if it differs, into surface (the
  // movie's size, a format for which converts() holds); false when it could not be converted.
  bool convertCurrent(Surface& surface);

 private:
  struct Parts;
  explicit MovieDecoder(std::unique_ptr<Parts> parts);
  // Opens the demuxer on parts (its I/O context set for memory input) and the decoder of the
  // first video stream; false when there is none that fits.
  bool start(const std::string& url);
  // Decodes one frame into the waiting slot; false at the end of the stream.
  bool decodeFrame();

  std::unique_ptr<Parts> parts_;
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  bool waiting_ = false;
  bool draining_ = false;
  bool ended_ = false;
  std::optional<MovieTimeline> timeline_;
  std::int64_t nextTime_ = 0;
  std::int64_t currentEnd_ = 0;
};

}  // namespace korvo::platform
