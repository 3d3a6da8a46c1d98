// The stretching copy at each depth: same size, larger and smaller, and clipped on every side.
#include <gtest/gtest.h>

#include "media/canvas/stretch_copy.h"

namespace korvo::platform {
namespace {

// A w × h surface whose pixel (x, y) has the colour x × 16 + y × 4096 (ARGB).
std::shared_ptr<Surface> numbered(std::int32_t w, std::int32_t h, const PixelFormat& format) {
  auto s = Surface::create(w, h, format);
  for (std::int32_t y = 0; y < h; ++y)
    for (std::int32_t x = 0; x < w; ++x) format.store(s->at(x, y), static_cast<std::uint32_t>(x * 16 + y * 4096));
  return s;
}

class StretchCopy : public ::testing::TestWithParam<PixelFormat> {
 protected:
  std::uint32_t at(const Surface& s, std::int32_t x, std::int32_t y) { return s.format().fetch(s.at(x, y)); }
  std::uint32_t src(std::int32_t x, std::int32_t y) { return GetParam().fetch(source->at(x, y)); }

  std::shared_ptr<Surface> source = numbered(4, 3, GetParam());
  std::shared_ptr<Surface> target = Surface::create(20, 10, GetParam());
};

TEST_P(StretchCopy, SameSizeCopiesPixelForPixel) {
  stretchCopy(*target, Rect::fromSize(5, 5, 4, 3), *source);
  for (std::int32_t y = 0; y < 3; ++y)
    for (std::int32_t x = 0; x < 4; ++x) EXPECT_EQ(at(*target, 5 + x, 5 + y), src(x, y));
  EXPECT_EQ(at(*target, 4, 5), GetParam().fetch(target->at(0, 0)));
}

TEST_P(StretchCopy, EachPixelTakesTheNearestSourcePixel) {
  stretchCopy(*target, Rect::fromSize(0, 0, 8, 9), *source);
  for (std::int32_t y = 0; y < 9; ++y)
    for (std::int32_t x = 0; x < 8; ++x) EXPECT_EQ(at(*target, x, y), src(x / 2, y / 3)) << x << "," << y;
  // Shrunk to 2 × 1: every other column of the first row.
  auto small = Surface::create(2, 1, GetParam());
  stretchCopy(*small, Rect::fromSize(0, 0, 2, 1), *source);
  EXPECT_EQ(at(*small, 0, 0), src(0, 0));
  EXPECT_EQ(at(*small, 1, 0), src(2, 0));
}

TEST_P(StretchCopy, OnlyThePartInsideTheTargetIsWritten) {
  const std::uint32_t blank = at(*target, 0, 0);
  // 8 × 6 reaching past the left and top edges by 2 and 4 pixels.
  stretchCopy(*target, Rect::fromSize(-2, -4, 8, 6), *source);
  EXPECT_EQ(at(*target, 0, 0), src(1, 2));
  EXPECT_EQ(at(*target, 5, 1), src(3, 2));
  EXPECT_EQ(at(*target, 6, 0), blank);
  EXPECT_EQ(at(*target, 0, 2), blank);
  // Past the right and bottom edges; and wholly outside.
  stretchCopy(*target, Rect::fromSize(18, 8, 8, 6), *source);
  EXPECT_EQ(at(*target, 19, 9), src(0, 0));
  stretchCopy(*target, Rect::fromSize(-100, 0, 8, 6), *source);
  stretchCopy(*target, Rect{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, *source);
  EXPECT_EQ(at(*target, 10, 5), src(2, 1));
}

INSTANTIATE_TEST_SUITE_P(Depths, StretchCopy,
                         ::testing::Values(PixelFormat::rgb565(), PixelFormat::rgb888(), PixelFormat::xrgb8888()));

}  // namespace
}  // namespace korvo::platform
