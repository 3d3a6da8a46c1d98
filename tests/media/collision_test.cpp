// Pixel-exact collisions over 32-pixel mask words against a per-pixel reference, over many
// random frames and placements, and the box tests' edges.
#include <gtest/gtest.h>

#include <random>

#include "media/images/collisions.h"

namespace korvo::platform {
namespace {

constexpr std::uint32_t kMask = 0xFF00FF;

// A w × h frame with handle (hx, hy) whose pixels are solid with the given chance.
std::unique_ptr<Canvas> randomFrame(std::mt19937& rng, std::int32_t w, std::int32_t h, double fill) {
  auto c = std::make_unique<Canvas>(Surface::create(w, h, PixelFormat::xrgb8888()));
  c->setMaskColour(kMask);
  std::bernoulli_distribution solid(fill);
  for (std::int32_t y = 0; y < h; ++y)
    for (std::int32_t x = 0; x < w; ++x) c->setPixelFast(x, y, solid(rng) ? 0x123456 + x : kMask);
  std::uniform_int_distribution<std::int32_t> hx(-5, w + 5), hy(-5, h + 5);
  c->setHandle(hx(rng), hy(rng));
  return c;
}

bool solidAt(const Canvas& c, std::int32_t x, std::int32_t y) {
  return x >= 0 && y >= 0 && x < c.width() && y < c.height() && (c.getPixelFast(x, y) & 0xFFFFFF) != kMask;
}

bool referenceCollide(const Canvas& a, std::int32_t x1, std::int32_t y1, const Canvas& b, std::int32_t x2,
                      std::int32_t y2) {
  const std::int32_t ax = x1 - a.handleX(), ay = y1 - a.handleY();
  const std::int32_t bx = x2 - b.handleX(), by = y2 - b.handleY();
  for (std::int32_t y = 0; y < a.height(); ++y)
    for (std::int32_t x = 0; x < a.width(); ++x)
      if (solidAt(a, x, y) && solidAt(b, ax + x - bx, ay + y - by)) return true;
  return false;
}

bool referenceRect(const Canvas& f, std::int32_t x, std::int32_t y, std::int32_t rx, std::int32_t ry, std::int32_t rw,
                   std::int32_t rh) {
  for (std::int32_t py = 0; py < f.height(); ++py)
    for (std::int32_t px = 0; px < f.width(); ++px) {
      const std::int32_t sx = x - f.handleX() + px, sy = y - f.handleY() + py;
      if (solidAt(f, px, py) && sx >= rx && sx < rx + rw && sy >= ry && sy < ry + rh) return true;
    }
  return false;
}

TEST(Collisions, MaskWordsAgreeWithThePerPixelReference) {
  std::mt19937 rng(20261207);
  std::uniform_int_distribution<std::int32_t> side(1, 100), offset(-110, 110);
  std::uniform_real_distribution<double> fill(0.002, 0.3);
  int hits = 0, misses = 0;
  for (int round = 0; round < 150; ++round) {
    auto a = randomFrame(rng, side(rng), side(rng), fill(rng));
    auto b = randomFrame(rng, side(rng), side(rng), fill(rng));
    for (int placement = 0; placement < 40; ++placement) {
      const std::int32_t x1 = offset(rng), y1 = offset(rng), x2 = offset(rng), y2 = offset(rng);
      const bool expected = referenceCollide(*a, x1, y1, *b, x2, y2);
      ASSERT_EQ(framesCollide(*a, x1, y1, *b, x2, y2), expected)
          << round << "/" << placement << ": " << a->width() << "x" << a->height() << " at " << x1 << "," << y1
          << " and " << b->width() << "x" << b->height() << " at " << x2 << "," << y2;
      ASSERT_EQ(framesCollide(*b, x2, y2, *a, x1, y1), expected);
      (expected ? hits : misses)++;
    }
  }
  // Both outcomes were tried often.
  EXPECT_GT(hits, 500);
  EXPECT_GT(misses, 500);
}

TEST(Collisions, RectangleTestsAgreeWithThePerPixelReference) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<std::int32_t> side(1, 90), offset(-100, 100), size(-3, 80);
  for (int round = 0; round < 100; ++round) {
    auto f = randomFrame(rng, side(rng), side(rng), 0.05);
    for (int placement = 0; placement < 40; ++placement) {
      const std::int32_t x = offset(rng), y = offset(rng), rx = offset(rng), ry = offset(rng);
      const std::int32_t rw = size(rng), rh = size(rng);
      ASSERT_EQ(frameRectCollide(*f, x, y, rx, ry, rw, rh), referenceRect(*f, x, y, rx, ry, rw, rh))
          << round << "/" << placement;
    }
  }
}

TEST(Collisions, AnOverhangingRightFrameReadsNoWordPastItsRow) {
  // R starts 31 columns into L's first word and is 2 pixels wide: its second pixel reaches
  // L's second word through the carry alone.
  auto l = std::make_unique<Canvas>(Surface::create(64, 1, PixelFormat::xrgb8888()));
  auto r = std::make_unique<Canvas>(Surface::create(2, 2, PixelFormat::xrgb8888()));
  l->setPixelFast(32, 0, 0xFFFFFF);
  r->setPixelFast(1, 0, 0xFFFFFF);
  r->setPixelFast(0, 1, 0xFFFFFF);  // the next row of R: must not be taken for row 0's next word
  EXPECT_TRUE(framesCollide(*l, 0, 0, *r, 31, 0));
  r->setPixel(1, 0, 0);
  EXPECT_FALSE(framesCollide(*l, 0, 0, *r, 31, 0));
}

TEST(Collisions, BoxesTouchingAtAnEdgeDoNotOverlap) {
  auto a = std::make_unique<Canvas>(Surface::create(50, 10, PixelFormat::xrgb8888()));
  auto b = std::make_unique<Canvas>(Surface::create(10, 10, PixelFormat::xrgb8888()));
  EXPECT_FALSE(framesOverlap(*a, 0, 0, *b, 50, 0));
  EXPECT_TRUE(framesOverlap(*a, 0, 0, *b, 49, 0));
  EXPECT_FALSE(framesOverlap(*a, 0, 0, *b, 0, 10));
  b->setHandle(1, 0);
  EXPECT_TRUE(framesOverlap(*a, 0, 0, *b, 50, 0));
  EXPECT_FALSE(frameRectOverlap(*a, 0, 0, 50, 0, 5, 5));
  EXPECT_TRUE(frameRectOverlap(*a, 0, 0, 49, 9, 5, 5));
  // Placements near the ends of the integer range do not wrap around.
  EXPECT_FALSE(framesOverlap(*a, INT32_MAX, 0, *b, INT32_MIN, 0));
}

TEST(Collisions, OnlyMaskColouredPixelsInCommonDoNotCollide) {
  auto a = std::make_unique<Canvas>(Surface::create(8, 8, PixelFormat::rgb565()));
  auto b = std::make_unique<Canvas>(Surface::create(8, 8, PixelFormat::rgb565()));
  // Solid only in the left half of a and the right half of b; the rest is mask colour.
  for (std::int32_t y = 0; y < 8; ++y)
    for (std::int32_t x = 0; x < 4; ++x) a->setPixelFast(x, y, 0xFFFFFF), b->setPixelFast(x + 4, y, 0xFFFFFF);
  EXPECT_TRUE(framesOverlap(*a, 0, 0, *b, 0, 0));
  EXPECT_FALSE(framesCollide(*a, 0, 0, *b, 0, 0));
  EXPECT_TRUE(framesCollide(*a, 0, 0, *b, -1, 0));
}

}  // namespace
}  // namespace korvo::platform
