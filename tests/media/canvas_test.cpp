// Canvas behaviour: colours, pixel access, the primitives' clipping and rasterising, copies
// between canvases, the collision mask and the save and restore of contents.
#include <gtest/gtest.h>

#include "media/canvas/canvas.h"
#include "media/canvas_test_support.h"

namespace korvo::platform {
namespace {

using test::makeCanvas;
using test::picture;

class CanvasAtDepth : public ::testing::TestWithParam<PixelFormat> {};

INSTANTIATE_TEST_SUITE_P(Formats, CanvasAtDepth,
                         ::testing::Values(PixelFormat::rgb565(), PixelFormat::rgb888(), PixelFormat::xrgb8888(),
                                           PixelFormat::argb8888()),
                         [](const auto& format) {
                           return "Depth" + std::to_string(format.param.depth()) +
                                  (format.param.alphaMask() ? "Alpha" : "");
                         });

TEST(Canvas, ColoursRoundTripThroughTheSurfaceFormat) {
  auto c16 = makeCanvas(4, 4, PixelFormat::rgb565());
  c16->setColour(255 * 65536 | 255 * 256 | 255);
  EXPECT_EQ((c16->colourARGB() >> 16) & 255, 248u);
  EXPECT_EQ((c16->colourARGB() >> 8) & 255, 252u);

  // Color 0,0,300 packs to 300: bit 8 falls into green.
  auto c32 = makeCanvas(4, 4);
  c32->setColour(0 * 65536 | 0 * 256 | 300);
  EXPECT_EQ(c32->colourARGB(), 0xFF00012Cu);
  EXPECT_EQ((c32->colourARGB() >> 8) & 255, 1u);
  EXPECT_EQ(c32->colourARGB() & 255, 0x2Cu);

  // The mask colour keeps its alpha; drawing colours always get full alpha.
  auto ca = makeCanvas(4, 4, PixelFormat::argb8888());
  ca->setMaskColour(0x00FF00FF);
  EXPECT_EQ(ca->maskColourARGB(), 0x00FF00FFu);
  ca->setColour(0x00FF00FF);
  EXPECT_EQ(ca->colourARGB(), 0xFFFF00FFu);
}

TEST_P(CanvasAtDepth, PixelsReadBackAndOutsideGivesTheMaskColour) {
  auto c = makeCanvas(16, 8, GetParam());
  const PixelFormat& f = GetParam();
  c->setPixel(3, 2, 0xFF00FF00);
  EXPECT_EQ(c->getPixel(3, 2), test::roundTrip(f, 0xFF00FF00));
  EXPECT_EQ(c->getPixelFast(3, 2), test::roundTrip(f, 0xFF00FF00));
  // Black mask colour: 0xFF000000 where the format has no alpha.
  EXPECT_EQ(c->getPixel(-1, 0), f.alphaMask() ? 0u : 0xFF000000u);
  EXPECT_EQ(c->getPixel(16, 0), c->maskColourARGB());
  c->setMaskColour(0xFF00FF);
  EXPECT_EQ(c->getPixel(0, 8), test::roundTrip(f, 0xFF00FF));

  // With origin and viewport, coordinates shift and reads beyond the viewport see the mask.
  c->setOrigin(2, 1);
  c->setViewport(4, 2, 4, 4);
  EXPECT_EQ(c->getPixel(1, 1), c->maskColourARGB()) << "(3,2) lies left of the viewport";
  c->setPixel(2, 1, 0xFFFFFFFF);
  EXPECT_EQ(c->getPixelFast(4, 2), test::roundTrip(f, 0xFFFFFFFF));
  c->setPixel(100, 1, 0xFFFFFFFF);
  c->setPixelFast(-1, 0, 0xFFFFFFFF);
  c->setPixelFast(16, 7, 0xFFFFFFFF);
  EXPECT_EQ(c->getPixelFast(99, 99), 0u);
}

TEST_P(CanvasAtDepth, CopyPixelCopiesRawBytesWithinBothViewports) {
  auto src = makeCanvas(8, 8, GetParam());
  auto dst = makeCanvas(8, 8, GetParam());
  src->setPixelFast(5, 5, 0xFF123456);
  src->setOrigin(1, 1);
  dst->setOrigin(2, 0);
  const std::uint32_t before = dst->modCount();
  dst->copyPixel(0, 0, *src, 4, 4);
  EXPECT_EQ(dst->getPixelFast(2, 0), src->getPixelFast(5, 5));
  EXPECT_EQ(dst->modCount(), before) << "copyPixel does not count as drawing";
  src->setViewport(0, 0, 2, 2);
  dst->copyPixel(1, 1, *src, 4, 4);
  EXPECT_EQ(dst->getPixelFast(3, 1), GetParam().toARGB(0));
  dst->copyPixelFast(7, 7, *src, 5, 5);
  EXPECT_EQ(dst->getPixelFast(7, 7), src->getPixelFast(5, 5));
  dst->copyPixelFast(8, 0, *src, 5, 5);
  dst->copyPixelFast(0, 0, *src, -1, 5);
}

TEST(Canvas, CopyPixelBetweenDepthsConvertsInsteadOfOverreading) {
  auto src = makeCanvas(2, 2, PixelFormat::rgb565());
  auto dst = makeCanvas(2, 2, PixelFormat::xrgb8888());
  src->setPixelFast(1, 1, 0xFFFF0000);
  dst->copyPixelFast(0, 0, *src, 1, 1);
  EXPECT_EQ(dst->getPixelFast(0, 0), 0xFFF80000u);
}

// Every width up to a few of the fill's vector steps, at every offset within a step: the
// filled pixels have the colour and their neighbours keep theirs.
TEST_P(CanvasAtDepth, FilledRectanglesOfEveryWidthCoverExactlyTheirPixels) {
  constexpr int kWidth = 80;
  auto c = makeCanvas(kWidth, 3, GetParam());
  const std::uint32_t colour = test::roundTrip(GetParam(), 0xFF8844CC);
  const std::uint32_t background = test::roundTrip(GetParam(), 0xFF102030);
  for (int x = 0; x < 4; ++x) {
    for (int w = 1; x + w <= kWidth; ++w) {
      c->setClsColour(background);
      c->cls();
      c->setColour(colour);
      c->rect(x, 1, w, 1, true);
      for (int px = 0; px < kWidth; ++px) {
        for (int py = 0; py < 3; ++py) {
          const bool inside = py == 1 && px >= x && px < x + w;
          ASSERT_EQ(c->getPixelFast(px, py), inside ? colour : background) << x << "+" << w << " at " << px;
        }
      }
    }
  }
}

TEST_P(CanvasAtDepth, OutlineRectangles) {
  auto c = makeCanvas(20, 20, GetParam());
  c->rect(10, 10, 5, 5, false);
  const std::string p = picture(*c);
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 20; ++x) {
      const bool inside = x >= 10 && x < 15 && y >= 10 && y < 15;
      const bool edge = inside && (x == 10 || x == 14 || y == 10 || y == 14);
      ASSERT_EQ(p[y * 21 + x], edge ? '#' : '.') << x << "," << y;
    }
  }
  auto d = makeCanvas(20, 20, GetParam());
  d->rect(10, 10, 0, 5, true);
  d->rect(10, 10, 5, -1, false);
  EXPECT_EQ(picture(*d), picture(*makeCanvas(20, 20, GetParam())));
}

TEST(Canvas, OutlineRectangleClippedKeepsOnlyTheVisibleEdges) {
  auto c = makeCanvas(8, 6);
  c->setViewport(2, 1, 4, 4);
  c->rect(0, 0, 5, 4, false);  // left and top edges fall outside the viewport
  EXPECT_EQ(picture(*c),
            "........\n"
            "....#...\n"
            "....#...\n"
            "..###...\n"
            "........\n"
            "........\n");
}

TEST_P(CanvasAtDepth, LineRasterisesLikeTheReference) {
  auto c = makeCanvas(6, 3, GetParam());
  c->line(0, 0, 4, 1);
  EXPECT_EQ(picture(*c),
            "##....\n"
            "..###.\n"
            "......\n");
  auto steep = makeCanvas(3, 5, GetParam());
  steep->line(2, 4, 0, 0);
  EXPECT_EQ(picture(*steep),
            "#..\n"
            "#..\n"
            ".#.\n"
            ".#.\n"
            "..#\n");
}

TEST(Canvas, LineClippingCutsAtTheLastColumnAndRow) {
  auto c = makeCanvas(10, 10);
  c->setViewport(2, 2, 5, 5);  // columns and rows 2..6
  c->line(0, 4, 20, 4);
  c->line(4, -10, 4, 30);
  EXPECT_EQ(picture(*c),
            "..........\n"
            "..........\n"
            "....#.....\n"
            "....#.....\n"
            "..#####...\n"
            "....#.....\n"
            "....#.....\n"
            "..........\n"
            "..........\n"
            "..........\n");

  auto none = makeCanvas(10, 10);
  none->setViewport(2, 2, 5, 5);
  none->line(0, 0, 9, 0);
  none->line(8, 0, 9, 9);
  none->line(-5, 12, 15, 8);
  EXPECT_EQ(picture(*none), picture(*makeCanvas(10, 10)));
}

TEST(Canvas, LineShrunkToOnePointByClippingSetsExactlyThatPixel) {
  auto c = makeCanvas(10, 10);
  c->setOrigin(3, 2);
  c->setViewport(0, 0, 5, 5);
  // From (4,2) to (8,2) in canvas pixels; the viewport keeps only (4,2).
  c->line(1, 0, 5, 0);
  EXPECT_EQ(picture(*c),
            "..........\n"
            "..........\n"
            "....#.....\n"
            "..........\n"
            "..........\n"
            "..........\n"
            "..........\n"
            "..........\n"
            "..........\n"
            "..........\n");
}

TEST(Canvas, DrawingWithAnOriginIsClippedToTheViewport) {
  auto c = makeCanvas(12, 8);
  c->setOrigin(10, 10);
  c->setViewport(2, 2, 8, 4);
  c->setClsColour(0x102030);
  c->cls();
  // Cls ignores the origin: the whole viewport, and nothing else, is cleared.
  const std::string cleared = picture(*c, 0xFF102030);
  EXPECT_EQ(cleared,
            "############\n"
            "############\n"
            "##........##\n"
            "##........##\n"
            "##........##\n"
            "##........##\n"
            "############\n"
            "############\n");
  c->setClsColour(0);
  c->cls();
  c->plot(-9, -9);                // (1,1): outside
  c->plot(-8, -7);                // (2,3)
  c->rect(-4, -5, 10, 10, true);  // (6,5)..: clipped to (6..9, 5)
  EXPECT_EQ(picture(*c),
            "............\n"
            "............\n"
            "............\n"
            "..#.........\n"
            "............\n"
            "......####..\n"
            "............\n"
            "............\n");
}

TEST(Canvas, HugeCoordinatesAreClippedWithoutOverflow) {
  auto c = makeCanvas(8, 8);
  c->setOrigin(INT32_MAX, INT32_MIN);
  c->plot(INT32_MAX, INT32_MAX);
  c->rect(INT32_MAX, 5, INT32_MAX, INT32_MAX, true);
  c->oval(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, true);
  c->line(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX);
  c->setOrigin(0, 0);
  c->line(INT32_MIN, 3, INT32_MAX, 3);
  c->setViewport(INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX);
  EXPECT_TRUE(c->viewport().empty());
  c->cls();
  c->line(0, 0, 7, 7);
  EXPECT_EQ(picture(*c),
            "........\n"
            "........\n"
            "........\n"
            "########\n"
            "........\n"
            "........\n"
            "........\n"
            "........\n");
}

// A size whose far edge lies past the 32-bit range still copies every pixel that fits.
TEST(Canvas, BlitOfAHugeSizeCopiesAllThatFits) {
  auto src = makeCanvas(6, 2);
  src->setColour(0xFFFFFF);
  src->rect(0, 0, 6, 2, true);
  auto dst = makeCanvas(8, 3);
  dst->blit(3, 1, *src, 0, 0, INT32_MAX, INT32_MAX, true);
  dst->blit(5 - INT32_MAX, 0, *src, 5 - INT32_MAX, 0, INT32_MAX, 1, true);
  EXPECT_EQ(picture(*dst),
            "#####...\n"
            "...#####\n"
            "...#####\n");
}

TEST(Canvas, TallOvalOutlinesDrawOnlyTheirVisibleRows) {
  // The ends of a 30000-row outline, seen through a 16-row canvas and on a whole one.
  constexpr std::int32_t kTall = 30000;
  auto whole = makeCanvas(16, kTall);
  whole->oval(2, 0, 12, kTall, false);
  for (std::int32_t top : {0, kTall - 16}) {
    auto window = makeCanvas(16, 16);
    window->oval(2, -top, 12, kTall, false);
    for (std::int32_t y = 0; y < 16; ++y) {
      for (std::int32_t x = 0; x < 16; ++x) {
        ASSERT_EQ(window->getPixelFast(x, y), whole->getPixelFast(x, top + y)) << x << "," << top + y;
      }
    }
  }
  // Rows far beyond the canvas cost nothing: this returns at once.
  auto c = makeCanvas(8, 8);
  c->oval(0, 0, 8, INT32_MAX, false);
  c->oval(0, -INT32_MAX + 8, 8, INT32_MAX, false);
  EXPECT_NE(picture(*c), picture(*makeCanvas(8, 8)));
}

TEST_P(CanvasAtDepth, CopyRectPartlyOutsideTheSourceMovesOnlyTheOverlap) {
  auto src = makeCanvas(4, 4, GetParam());
  src->setClsColour(0xFFFFFF);
  src->cls();
  auto dst = makeCanvas(10, 10, GetParam());
  // Source (-2,-1) size 5x4: only src's (0,0)..(3,3) exists, landing 2 right and 1 down.
  dst->blit(3, 3, *src, -2, -1, 5, 4, true);
  EXPECT_EQ(picture(*dst),
            "..........\n"
            "..........\n"
            "..........\n"
            "..........\n"
            ".....###..\n"
            ".....###..\n"
            ".....###..\n"
            "..........\n"
            "..........\n"
            "..........\n");
}

TEST_P(CanvasAtDepth, KeyedBlitSkipsMaskPixelsAndHonoursTheHandle) {
  auto sprite = makeCanvas(36, 3, GetParam());
  sprite->setClsColour(0xFF00FF);
  sprite->cls();
  sprite->setMaskColour(0xFF00FF);
  sprite->setColour(0x00FF00);
  sprite->line(0, 1, 35, 1);
  sprite->setHandle(1, 1);
  auto dst = makeCanvas(40, 5, GetParam());
  dst->setClsColour(0x0000FF);
  dst->cls();
  dst->blit(2, 2, *sprite, 0, 0, 36, 3, false);
  const std::uint32_t blue = test::roundTrip(GetParam(), 0xFF0000FF);
  const std::uint32_t green = test::roundTrip(GetParam(), 0xFF00FF00);
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 40; ++x) {
      const bool line = y == 2 && x >= 1 && x < 37;
      ASSERT_EQ(dst->getPixelFast(x, y), line ? green : blue) << x << "," << y;
    }
  }
  dst->blit(2, 2, *sprite, 0, 0, 36, 3, true);
  EXPECT_EQ(dst->getPixelFast(1, 1), test::roundTrip(GetParam(), 0xFFFF00FF));
}

// Speckled pictures: every vector of the keyed copy and the mask mixes key and colour.
TEST_P(CanvasAtDepth, KeyedBlitAndMaskAgreeWithAPixelByPixelReading) {
  const PixelFormat& f = GetParam();
  auto src = makeCanvas(75, 9, f);
  auto dst = makeCanvas(90, 12, f);
  std::uint32_t seed = 12345;
  const auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
  for (int y = 0; y < 9; ++y) {
    for (int x = 0; x < 75; ++x) src->setPixelFast(x, y, next() % 3 ? 0xFF00FF : next() >> 8);
  }
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 90; ++x) dst->setPixelFast(x, y, next() >> 8);
  }
  src->setMaskColour(0xFF00FF);
  const std::uint32_t key = src->maskColourARGB() & 0xFFFFFF;
  const test::Bitmap before = test::snapshot(*dst);
  dst->blit(7, 2, *src, 0, 0, 75, 9, false);
  src->ensureMask();
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 90; ++x) {
      std::uint32_t expected = before.argb[y * 90 + x];
      if (x >= 7 && x < 82 && y >= 2 && y < 11) {
        const std::uint32_t p = src->getPixelFast(x - 7, y - 2);
        if ((p & 0xFFFFFF) != key) expected = p;
      }
      ASSERT_EQ(dst->getPixelFast(x, y), expected) << x << "," << y;
    }
  }
  for (int y = 0; y < 9; ++y) {
    for (int x = 0; x < 75; ++x) {
      const bool set = (src->mask()[y * src->maskWords() + x / 32] >> (31 - x % 32)) & 1;
      ASSERT_EQ(set, (src->getPixelFast(x, y) & 0xFFFFFF) != key) << x << "," << y;
    }
  }
}

TEST_P(CanvasAtDepth, OverlappingCopyWithinOneCanvasReadsTheOriginalPixels) {
  for (bool solid : {true, false}) {
    auto c = makeCanvas(8, 8, GetParam());
    for (int i = 0; i < 8; ++i) {
      c->setColour(0x101010 * (i + 1));
      c->line(0, i, 7, i);
    }
    c->setMaskColour(0x123456);
    auto expected = makeCanvas(8, 8, GetParam());
    expected->blit(0, 0, *c, 0, 0, 8, 8, true);
    c->blit(1, 2, *c, 0, 0, 6, 5, solid);
    for (int y = 0; y < 5; ++y) {
      for (int x = 0; x < 6; ++x) {
        expected->setPixelFast(x + 1, y + 2, 0xFF000000 | 0x101010 * (y + 1));
      }
    }
    EXPECT_EQ(test::snapshot(*c).argb, test::snapshot(*expected).argb) << "solid " << solid;
  }
}

TEST(Canvas, CopyBetweenFormatsConverts) {
  auto src = makeCanvas(4, 1, PixelFormat::xrgb8888());
  src->setPixelFast(0, 0, 0xFFFF0000);
  src->setPixelFast(1, 0, 0xFF00FF00);
  src->setMaskColour(0x00FF00);
  auto dst = makeCanvas(4, 1, PixelFormat::rgb565());
  dst->blit(0, 0, *src, 0, 0, 4, 1, false);
  EXPECT_EQ(dst->getPixelFast(0, 0), 0xFFF80000u);
  EXPECT_EQ(dst->getPixelFast(1, 0), 0xFF000000u);
}

TEST(Canvas, LocksNestAndCountDrawing) {
  auto c = makeCanvas(4, 4);
  EXPECT_TRUE(c->lock());
  EXPECT_TRUE(c->lock());
  c->unlock();
  EXPECT_TRUE(c->locked());
  c->unlock();
  EXPECT_FALSE(c->locked());
  c->unlock();  // unbalanced: ignored
  EXPECT_FALSE(c->locked());

  const std::uint32_t start = c->modCount();
  c->plot(0, 0);
  c->line(0, 0, 3, 0);
  c->plot(9, 9);
  EXPECT_EQ(c->modCount(), start + 1 + 4) << "a line advances once per pixel stored";
}

TEST_P(CanvasAtDepth, CollisionMaskFollowsDrawing) {
  auto c = makeCanvas(40, 3, GetParam());
  EXPECT_FALSE(c->hasMask());
  c->plot(0, 0);
  c->plot(33, 0);
  c->ensureMask();
  ASSERT_EQ(c->maskWords(), 2);
  const std::uint32_t* m = c->mask();
  EXPECT_EQ(m[0], 0x80000000u);
  EXPECT_EQ(m[1], 0x40000000u) << "columns past the width stay 0";
  c->rect(0, 1, 40, 1, true);
  EXPECT_EQ(m[2], 0xFFFFFFFFu);
  EXPECT_EQ(m[3], 0xFF000000u);

  // Direct pixel writes under a lock show up when the last lock goes.
  c->lock();
  c->setPixelFast(5, 2, 0xFFFFFFFF);
  c->lock();
  c->unlock();
  EXPECT_EQ(m[4], 0u);
  c->unlock();
  EXPECT_EQ(m[4], 0x04000000u);

  // A new mask colour applies to an existing mask at once.
  c->setMaskColour(0xFFFFFF);
  EXPECT_EQ(m[0], 0x7FFFFFFFu);
  EXPECT_EQ(m[2], 0u);
}

TEST(Canvas, MaskIgnoresAlphaAndComparesColourOnly) {
  auto c = makeCanvas(32, 1, PixelFormat::argb8888());
  c->setPixelFast(1, 0, 0x00000000);  // black, transparent alpha: same colour as the mask
  c->setPixelFast(2, 0, 0x00000001);
  c->ensureMask();
  EXPECT_EQ(c->mask()[0], 0x20000000u);
}

TEST_P(CanvasAtDepth, SavedContentsComeBack) {
  auto c = makeCanvas(5, 5, GetParam());
  c->rect(1, 1, 3, 3, true);
  const auto before = test::snapshot(*c);
  c->restoreContents();  // nothing saved: nothing happens
  c->saveContents();
  c->cls();
  c->restoreContents();
  EXPECT_EQ(test::snapshot(*c).argb, before.argb);
  c->cls();
  c->restoreContents();  // the copy was used up
  EXPECT_NE(test::snapshot(*c).argb, before.argb);
}

TEST(Canvas, ViewportStaysInsideTheCanvas) {
  auto c = makeCanvas(10, 10);
  c->setViewport(-5, 3, 100, 4);
  EXPECT_EQ(c->viewport(), (Rect{0, 3, 10, 7}));
  c->setViewport(2, 2, -3, 4);
  EXPECT_TRUE(c->viewport().empty());
  c->rect(0, 0, 10, 10, true);
  c->oval(0, 0, 10, 10, false);
  c->setPixel(5, 5, 0xFFFFFFFF);
  EXPECT_EQ(picture(*c), picture(*makeCanvas(10, 10)));
}

TEST(Surface, RefusesSizesItCannotHold) {
  EXPECT_FALSE(Surface::create(0, 10, PixelFormat::xrgb8888()));
  EXPECT_FALSE(Surface::create(10, -1, PixelFormat::xrgb8888()));
  EXPECT_FALSE(Surface::create(Surface::kMaxSide + 1, 1, PixelFormat::xrgb8888()));
  EXPECT_FALSE(Surface::create(Surface::kMaxSide, Surface::kMaxSide, PixelFormat::xrgb8888()));
  auto s = Surface::create(3, 2, PixelFormat::rgb888());
  ASSERT_TRUE(s);
  EXPECT_GE(s->pitch(), 9);
}

}  // namespace
}  // namespace korvo::platform
