// When each frame of a movie is due, in milliseconds from the first frame, from the frames'
// own timestamps. The timeline only moves forward: a frame without a timestamp, or one whose
// timestamp jumps back or more than kMaxGapMs ahead (a cut, a wrap, a lie), comes one frame
// interval after the previous frame, and later timestamps count from there.
#pragma once

#include <cstdint>
#include <optional>

namespace korvo::platform {

class MovieTimeline {
 public:
  static constexpr std::int64_t kMaxGapMs = 10000;

  // Timestamps count units of num / den seconds; intervalMs is the nominal frame interval.
  MovieTimeline(std::int64_t num, std::int64_t den, std::int64_t intervalMs);

  // The time of the next frame, given its timestamp (none when it has none).
  std::int64_t place(std::optional<std::int64_t> timestamp);
  std::int64_t interval() const { return interval_; }

 private:
  std::int64_t num_;
  std::int64_t den_;
  std::int64_t interval_;
  std::int64_t last_ = -1;
  bool anchored_ = false;
  // The stretch of the timeline the timestamps now follow: its first frame's time and stamp.
  std::int64_t anchorTime_ = 0;
  std::int64_t anchorStamp_ = 0;
};

}  // namespace korvo::platform
