// Pixel formats: mask analysis, conversions both ways and the bytes each depth stores.
#include <gtest/gtest.h>

#include "media/canvas/pixel_format.h"

namespace korvo::platform {
namespace {

TEST(PixelFormat, Rgb565ChannelsComeBackAsTheirTopBits) {
  const PixelFormat f = PixelFormat::rgb565();
  EXPECT_EQ(f.depth(), 16);
  EXPECT_EQ(f.bytesPerPixel(), 2);
  EXPECT_EQ(f.fillBits(), 0xFF000000u);
  EXPECT_EQ(f.rightShift(PixelFormat::kRed), 16 + 8 - 5);
  EXPECT_EQ(f.position(PixelFormat::kRed), 11);
  EXPECT_EQ(f.rightShift(PixelFormat::kGreen), 8 + 8 - 6);
  EXPECT_EQ(f.rightShift(PixelFormat::kBlue), 8 - 5);
  EXPECT_EQ(f.toSurface(0xFFFFFFFF), 0xFFFFu);
  EXPECT_EQ(f.toARGB(0xFFFF), 0xFFF8FCF8u);
  EXPECT_EQ(f.toSurface(0x00123456), ((0x12u >> 3) << 11) | ((0x34u >> 2) << 5) | (0x56u >> 3));

  // Every raw value survives the round trip through ARGB.
  for (std::uint32_t raw = 0; raw < 0x10000; ++raw) {
    ASSERT_EQ(f.toSurface(f.toARGB(raw)), raw) << raw;
  }
  std::uint8_t bytes[2];
  f.store(bytes, 0xFFFF0000);
  EXPECT_EQ(bytes[0], 0x00);
  EXPECT_EQ(bytes[1], 0xF8);
  EXPECT_EQ(f.fetch(bytes), 0xFFF80000u);
}

TEST(PixelFormat, ThreeBytePixelsAreLowMiddleHigh) {
  const PixelFormat f = PixelFormat::rgb888();
  std::uint8_t bytes[4] = {0, 0, 0, 0xEE};
  f.store(bytes, 0x80123456);
  EXPECT_EQ(bytes[0], 0x56);
  EXPECT_EQ(bytes[1], 0x34);
  EXPECT_EQ(bytes[2], 0x12);
  EXPECT_EQ(bytes[3], 0xEE) << "the fourth byte belongs to the next pixel";
  EXPECT_EQ(f.fetch(bytes), 0xFF123456u);
}

TEST(PixelFormat, ThirtyTwoBitsWithAndWithoutAlpha) {
  std::uint8_t bytes[4];
  const PixelFormat x = PixelFormat::xrgb8888();
  x.store(bytes, 0x80123456);
  EXPECT_EQ(x.fetchRaw(bytes), 0x00123456u) << "no alpha mask: the top byte is cleared";
  EXPECT_EQ(x.fetch(bytes), 0xFF123456u);

  const PixelFormat a = PixelFormat::argb8888();
  a.store(bytes, 0x80123456);
  EXPECT_EQ(a.fetchRaw(bytes), 0x80123456u);
  EXPECT_EQ(a.fetch(bytes), 0x80123456u);
  EXPECT_EQ(a.fillBits(), 0u);
}

TEST(PixelFormat, ShiftedLayoutsConvertThroughTheMasks) {
  // Blue in the high byte, red low: a layout the straight routines must not take.
  const auto f = PixelFormat::fromMasks(32, 0, 0x000000FF, 0x0000FF00, 0x00FF0000);
  ASSERT_TRUE(f);
  std::uint8_t bytes[4];
  f->store(bytes, 0xFF112233);
  EXPECT_EQ(f->fetchRaw(bytes), 0x00332211u);
  EXPECT_EQ(f->fetch(bytes), 0xFF112233u);

  // 5-5-5 in 16 bits: the unused top bit stays clear.
  const auto f555 = PixelFormat::fromMasks(16, 0, 0x7C00, 0x03E0, 0x001F);
  ASSERT_TRUE(f555);
  EXPECT_EQ(f555->toSurface(0xFFFFFFFF), 0x7FFFu);
  EXPECT_EQ(f555->toARGB(0x7FFF), 0xFFF8F8F8u);
}

TEST(PixelFormat, MissingChannelsReadBackFull) {
  const auto f = PixelFormat::fromMasks(16, 0, 0xF800, 0, 0x001F);
  ASSERT_TRUE(f);
  EXPECT_EQ(f->fillBits(), 0xFF00FF00u);
  EXPECT_EQ(f->toARGB(0), 0xFF00FF00u);
}

TEST(PixelFormat, RejectsDescriptionsItCannotServe) {
  EXPECT_FALSE(PixelFormat::fromMasks(8, 0, 0xE0, 0x1C, 0x03));
  EXPECT_FALSE(PixelFormat::fromMasks(32, 0, 0xFF0000, 0xFF0000, 0xFF)) << "overlapping";
  EXPECT_FALSE(PixelFormat::fromMasks(32, 0, 0xF0F000, 0xFF00, 0xFF)) << "not contiguous";
  EXPECT_FALSE(PixelFormat::fromMasks(16, 0, 0xFF0000, 0xFF00, 0xFF)) << "beyond the depth";
  EXPECT_FALSE(PixelFormat::fromMasks(32, 0, 0x3FF00000, 0xFFC00, 0x3FF)) << "10-bit channels";
  EXPECT_TRUE(PixelFormat::fromMasks(24, 0, 0xFF0000, 0xFF00, 0xFF));
}

TEST(PixelFormat, EqualityIsDepthAndMasks) {
  EXPECT_EQ(PixelFormat::xrgb8888(), *PixelFormat::fromMasks(32, 0, 0xFF0000, 0xFF00, 0xFF));
  EXPECT_FALSE(PixelFormat::xrgb8888() == PixelFormat::argb8888());
  EXPECT_FALSE(PixelFormat::rgb888() == PixelFormat::xrgb8888());
}

}  // namespace
}  // namespace korvo::platform
