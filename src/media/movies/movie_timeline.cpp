// Offsets are reckoned in 128 bits so that no timestamp, however large, overflows.
#include "media/movies/movie_timeline.h"

#include <algorithm>

namespace korvo::platform {

MovieTimeline::MovieTimeline(std::int64_t num, std::int64_t den, std::int64_t intervalMs)
    : num_(num), den_(den), interval_(intervalMs) {}

std::int64_t MovieTimeline::place(std::optional<std::int64_t> timestamp) {
  const std::int64_t following = last_ < 0 ? 0 : last_ + interval_;
  if (!timestamp || num_ <= 0 || den_ <= 0) return last_ = following;
  if (anchored_) {
    const __int128 offset = (static_cast<__int128>(*timestamp) - anchorStamp_) * num_ * 1000 / den_;
    const __int128 time = anchorTime_ + offset;
    if (offset >= 0 && time >= last_ && time <= std::max<std::int64_t>(last_, 0) + kMaxGapMs)
      return last_ = static_cast<std::int64_t>(time);
  }
  anchored_ = true;
  anchorTime_ = following;
  anchorStamp_ = *timestamp;
  return last_ = following;
}

}  // namespace korvo::platform
