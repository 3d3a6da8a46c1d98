// Movie: a movie being played. Its decoder fills the frame canvas (the movie's size, in a
// format the decoder converts into) with the newest frame whose time has come on the runtime
// clock, counted from the open, so a movie plays at its own speed whatever the program's frame
// rate; frames that are late are decoded but never converted. The end of the stream ends
// playing once the last frame's time is over.
#pragma once

#include <cstdint>
#include <memory>

#include "media/canvas/canvas.h"
#include "media/movies/movie_decoder.h"

namespace korvo::platform {

class Movie {
 public:
  // Plays decoder's frames into frame, which outlives the movie, from openedAt (runtime clock
  // milliseconds) on.
  Movie(std::unique_ptr<MovieDecoder> decoder, Canvas& frame, std::uint32_t openedAt);

  std::int32_t width() const { return decoder_->width(); }
  std::int32_t height() const { return decoder_->height(); }
  bool playing() const { return playing_; }
  // How many frames have been shown so far (late frames that were skipped do not count).
  std::int32_t framesShown() const { return framesShown_; }

  // Shows the frame due at now on the rectangle (x, y, w, h) of target, stretched to it (a
  // negative w or h is the movie's own) and clipped to the canvas; target's origin and
  // viewport do not apply. Draws nothing once the movie is over. Returns playing().
  bool draw(Canvas& target, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, std::uint32_t now);

 private:
  // Brings the frame canvas to the newest frame due at elapsed milliseconds; playing_ becomes
  // false once the stream has ended and its last frame's time is over.
  void advance(std::int64_t elapsed);

  std::unique_ptr<MovieDecoder> decoder_;
  Canvas& frame_;
  std::uint32_t openedAt_;
  bool playing_ = true;
  std::int32_t framesShown_ = 0;
};

}  // namespace korvo::platform
