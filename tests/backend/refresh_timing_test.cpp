// Refresh timing on the runtime clock: where boundaries fall for whole and fractional
// periods, from any origin and across the clock's wrap, the beam's line, and the rates
// KORVO_REFRESH accepts.
#include <gtest/gtest.h>

#include "backend/display.h"
#include "backend/headless/headless_video.h"

namespace korvo::platform {
namespace {

TEST(RefreshTiming, BoundariesFollowEachOtherAtTheRateWithoutDrift) {
  const RefreshTiming sixty{0, 60};
  EXPECT_EQ(sixty.nextBoundary(0), 17u);
  EXPECT_EQ(sixty.nextBoundary(16), 17u);
  EXPECT_EQ(sixty.nextBoundary(17), 34u);  // at a boundary, the next one
  EXPECT_EQ(sixty.nextBoundary(34), 50u);
  // 120 waits from the start take exactly two seconds.
  std::uint32_t now = 0;
  for (int i = 0; i < 120; ++i) now = sixty.nextBoundary(now);
  EXPECT_EQ(now, 2000u);
  EXPECT_EQ(RefreshTiming({0, 50}).nextBoundary(20), 40u);
  EXPECT_EQ(RefreshTiming({0, 1000}).nextBoundary(5), 6u);
  EXPECT_EQ(RefreshTiming({0, 1}).nextBoundary(5), 1000u);
}

TEST(RefreshTiming, CountsFromItsOriginAcrossTheClocksWrap) {
  EXPECT_EQ(RefreshTiming({100, 60}).nextBoundary(100), 117u);
  EXPECT_EQ(RefreshTiming({100, 60}).nextBoundary(2099), 2100u);
  const std::uint32_t origin = 0xFFFFFFF0u;
  EXPECT_EQ(RefreshTiming({origin, 60}).nextBoundary(origin + 20), origin + 34);
  EXPECT_EQ(RefreshTiming({origin, 60}).nextBoundary(origin), 0x00000001u);
}

TEST(RefreshTiming, TheBeamIsInTheBlankAtEachBoundaryThenSweepsTheDisplay) {
  const RefreshTiming t{0, 50};  // 20 ms a refresh: 1 ms of blank, then 19 of lines
  EXPECT_EQ(t.scanLine(0, 600), 0);
  EXPECT_EQ(t.scanLine(20, 600), 0);
  EXPECT_EQ(t.scanLine(1, 600), 0);
  EXPECT_EQ(t.scanLine(2, 600), 31);
  EXPECT_EQ(t.scanLine(10, 600), 284);
  EXPECT_EQ(t.scanLine(19, 600), 568);
  EXPECT_EQ(t.scanLine(10, 0), 0);
}

TEST(RefreshTiming, RefreshRatesAreWholeHertzUpToAThousand) {
  EXPECT_EQ(parseRefreshRate("60"), 60);
  EXPECT_EQ(parseRefreshRate("1"), 1);
  EXPECT_EQ(parseRefreshRate("1000"), 1000);
  for (const char* bad : {"", "0", "1001", "59.94", "-60", "60Hz", " 60", "99999999999"})
    EXPECT_EQ(parseRefreshRate(bad), 0) << bad;
}

}  // namespace
}  // namespace korvo::platform
