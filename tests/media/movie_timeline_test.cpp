// The movie timeline: frames placed by their timestamps, and by the frame interval where the
// timestamps are missing, go back, or jump ahead.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>

#include "media/movies/movie_timeline.h"

namespace korvo::platform {
namespace {

TEST(MovieTimeline, TimestampsCountFromTheFirstFrame) {
  MovieTimeline t(1, 90000, 40);
  EXPECT_EQ(t.place(900000), 0);
  EXPECT_EQ(t.place(903600), 40);
  EXPECT_EQ(t.place(909000), 100);
  // Two frames of one time are both due then.
  EXPECT_EQ(t.place(909000), 100);
}

TEST(MovieTimeline, FramesWithoutTimestampsComeOneIntervalApart) {
  MovieTimeline t(1, 1000, 33);
  EXPECT_EQ(t.place(std::nullopt), 0);
  EXPECT_EQ(t.place(std::nullopt), 33);
  // The first timestamp is anchored where the next frame was due.
  EXPECT_EQ(t.place(5000), 66);
  EXPECT_EQ(t.place(5100), 166);
  EXPECT_EQ(t.place(std::nullopt), 199);
  EXPECT_EQ(t.place(5300), 366);
}

TEST(MovieTimeline, JumpsBackOrFarAheadStartANewStretch) {
  MovieTimeline t(1, 1000, 40);
  EXPECT_EQ(t.place(1000), 0);
  EXPECT_EQ(t.place(1040), 40);
  // Back in time: the frame follows the last one, and later stamps count from it.
  EXPECT_EQ(t.place(200), 80);
  EXPECT_EQ(t.place(240), 120);
  // Exactly the largest gap is still taken as it stands; one more is a lie.
  EXPECT_EQ(t.place(240 + MovieTimeline::kMaxGapMs), 120 + MovieTimeline::kMaxGapMs);
  EXPECT_EQ(t.place(240 + 3 * MovieTimeline::kMaxGapMs), 160 + MovieTimeline::kMaxGapMs);
}

TEST(MovieTimeline, ExtremeStampsAndTimeBasesNeitherOverflowNorStall) {
  constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
  constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
  MovieTimeline t(std::numeric_limits<int>::max(), 1, 40);
  EXPECT_EQ(t.place(kMin), 0);
  EXPECT_EQ(t.place(kMax), 40);
  EXPECT_EQ(t.place(kMin), 80);
  EXPECT_EQ(t.place(kMin + 1), 120);
  MovieTimeline none(0, 0, 25);
  EXPECT_EQ(none.place(5), 0);
  EXPECT_EQ(none.place(10), 25);
}

}  // namespace
}  // namespace korvo::platform
