// Transformed frames compared with reference pictures: rotations, a scale and a shear of a
// test pattern, with and without the bilinear filter, at 32 and 16 bits.
#include <gtest/gtest.h>

#include "media/images/image_transform.h"
#include "media/reference_pictures.h"

namespace korvo::platform {
namespace {

constexpr std::uint32_t kMask = 0x000000;

// A 24 × 16 pattern: colour gradients, a white diagonal and a mask-coloured hole, with its
// handle at (8, 6).
std::unique_ptr<Canvas> pattern(const PixelFormat& f) {
  auto c = test::makeCanvas(24, 16, f);
  for (std::int32_t y = 0; y < 16; ++y)
    for (std::int32_t x = 0; x < 24; ++x) c->setPixelFast(x, y, (x * 10) << 16 | (y * 15) << 8 | 0x60);
  for (std::int32_t i = 0; i < 16; ++i) c->setPixelFast(i + 4, i, 0xFFFFFF);
  for (std::int32_t y = 5; y < 9; ++y)
    for (std::int32_t x = 16; x < 20; ++x) c->setPixelFast(x, y, kMask);
  c->setMaskColour(kMask);
  c->setHandle(8, 6);
  return c;
}

// Each transform's result drawn side by side on a grey sheet, handles on a common line.
std::unique_ptr<Canvas> sheet(const PixelFormat& f) {
  const Transform kTransforms[] = {
      {0.8660254f, 0.5f, -0.5f, 0.8660254f},  // 30 degrees
      {1.5f, 0.0f, 0.0f, 0.75f},
      {1.0f, 0.3f, 0.5f, 1.0f},
      {-1.0f, 0.0f, 0.0f, 1.0f},
  };
  auto out = test::makeCanvas(4 * 48, 2 * 40, f);
  out->setClsColour(0x404040);
  out->cls();
  for (int filter = 0; filter < 2; ++filter) {
    for (std::size_t n = 0; n < std::size(kTransforms); ++n) {
      auto source = pattern(f);
      const auto box = transformedBox(kTransforms[n], 24, 16, 8, 6);
      EXPECT_TRUE(box);
      if (!box) continue;
      auto result = test::makeCanvas(box->width, box->height, f);
      transformInto(*source, kTransforms[n], *box, filter == 1, *result);
      out->blit(static_cast<std::int32_t>(n) * 48 + 16, filter * 40 + 14, *result, 0, 0, box->width, box->height,
                false);
    }
  }
  return out;
}

TEST(TransformReferences, ThirtyTwoBits) {
  test::expectMatchesReference(*sheet(PixelFormat::xrgb8888()), "transforms32.bmp");
}

TEST(TransformReferences, SixteenBits) {
  test::expectMatchesReference(*sheet(PixelFormat::rgb565()), "transforms16.bmp");
}

}  // namespace
}  // namespace korvo::platform
