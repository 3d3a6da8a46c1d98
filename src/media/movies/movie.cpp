// A movie's frames on the runtime clock and their copy to a buffer.
#include "media/movies/movie.h"

#include "media/canvas/stretch_copy.h"

namespace korvo::platform {

Movie::Movie(std::unique_ptr<MovieDecoder> decoder, Canvas& frame, std::uint32_t openedAt)
    : decoder_(std::move(decoder)), frame_(frame), openedAt_(openedAt) {}

void Movie::advance(std::int64_t elapsed) {
  bool fresh = false;
  for (;;) {
    if (!decoder_->fetchNext()) {
      playing_ = elapsed < decoder_->currentEnd();
      break;
    }
    if (decoder_->nextTime() > elapsed) break;
    decoder_->takeNext();
    fresh = true;
  }
  if (fresh && decoder_->convertCurrent(frame_.surface())) {
    frame_.damage(frame_.rect());
    ++framesShown_;
  }
}

bool Movie::draw(Canvas& target, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, std::uint32_t now) {
  if (!playing_) return false;
  // The clock's milliseconds wrap like a 32-bit tick counter; the difference does not.
  advance(static_cast<std::uint32_t>(now - openedAt_));
  if (!playing_) return false;
  if (w < 0) w = width();
  if (h < 0) h = height();
  const Rect to = clampedRect(x, y, std::int64_t{x} + w, std::int64_t{y} + h);
  stretchCopy(target.surface(), to, frame_.surface());
  target.damage(to.intersect(target.rect()));
  return true;
}

}  // namespace korvo::platform
