// The sprite sheets as the build wrote them: sizes and frame counts, magenta exactly where
// transparent, every frame the game addresses drawn, the water's loop closing on itself.
#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace tobrix::gamedata {
namespace {

constexpr int kPerStyle = 75;

struct Picture {
  int width = 0, height = 0, channels = 0;
  std::vector<std::uint8_t> bytes;  // rows of width x channels
  std::uint32_t rgb(int x, int y) const {
    const std::uint8_t* p = &bytes[static_cast<std::size_t>((y * width + x) * channels)];
    return (static_cast<std::uint32_t>(p[0]) << 16) | (p[1] << 8) | p[2];
  }
  int alpha(int x, int y) const { return channels == 4 ? bytes[static_cast<std::size_t>((y * width + x) * 4 + 3)] : 255; }
};

Picture readPng(const std::string& name) {
  Picture pic;
  const std::string path = std::string(TOBRIX_OUT_DIR) + "/system/098/" + name;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return pic;
  pic.channels = (image.format & PNG_FORMAT_FLAG_ALPHA) ? 4 : 3;
  image.format = pic.channels == 4 ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
  pic.width = static_cast<int>(image.width);
  pic.height = static_cast<int>(image.height);
  pic.bytes.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, pic.bytes.data(), 0, nullptr)) pic.width = 0;
  return pic;
}

constexpr std::uint32_t kMagenta = 0xFF00FF;

// True when the cell holds anything but magenta.
bool drawn(const Picture& p, int frame, int w, int h) {
  const int across = p.width / w;
  const int x0 = (frame % across) * w, y0 = (frame / across) * h;
  for (int y = y0; y < y0 + h; ++y) {
    for (int x = x0; x < x0 + w; ++x) {
      if (p.rgb(x, y) != kMagenta) return true;
    }
  }
  return false;
}

struct SheetSpec {
  const char* file;
  int cellWidth, cellHeight, frames;
  bool masked;
};

class SheetTest : public ::testing::TestWithParam<SheetSpec> {};

TEST_P(SheetTest, HasItsSizeAndMagentaOnlyWhereTransparent) {
  const SheetSpec& spec = GetParam();
  const Picture p = readPng(spec.file);
  ASSERT_GT(p.width, 0) << spec.file << " cannot be read";
  const int across = std::min(spec.frames, 25);
  EXPECT_EQ(p.width, across * spec.cellWidth);
  EXPECT_EQ(p.height, (spec.frames + across - 1) / across * spec.cellHeight);
  EXPECT_EQ(p.channels, spec.masked ? 4 : 3);
  int nearMagenta = 0, translucent = 0, magenta = 0;
  for (int y = 0; y < p.height; ++y) {
    for (int x = 0; x < p.width; ++x) {
      const std::uint32_t c = p.rgb(x, y);
      if (p.alpha(x, y) != 255) ++translucent;
      if (c == kMagenta) {
        ++magenta;
        continue;
      }
      const int r = static_cast<int>(c >> 16), g = static_cast<int>((c >> 8) & 255), b = static_cast<int>(c & 255);
      // A colour close to the mask colour would show as a pink fringe where a hole was meant.
      if (std::abs(r - 255) + g + std::abs(b - 255) < 90) ++nearMagenta;
    }
  }
  EXPECT_EQ(nearMagenta, 0) << spec.file;
  EXPECT_EQ(translucent, 0) << spec.file;
  if (!spec.masked) {
    EXPECT_EQ(magenta, 0) << spec.file;
  }
}

INSTANTIATE_TEST_SUITE_P(Sheets, SheetTest,
                         ::testing::Values(SheetSpec{"plat.png", 32, 32, 450, true}, SheetSpec{"obj.png", 32, 32, 450, true},
                                           SheetSpec{"gfx.png", 32, 32, 450, true},
                                           SheetSpec{"water.png", 32, 32, 450, false},
                                           SheetSpec{"swirl.png", 32, 32, 32, true},
                                           SheetSpec{"tinymap.png", 16, 16, 100, true},
                                           SheetSpec{"mouse.png", 32, 32, 8, true}, SheetSpec{"buts.png", 64, 32, 2, true}),
                         [](const auto& test) {
                           std::string name = test.param.file;
                           return name.substr(0, name.find('.'));
                         });

TEST(Sheets, EveryAddressedFrameIsDrawnInEveryStyle) {
  const Picture plat = readPng("plat.png"), obj = readPng("obj.png"), gfx = readPng("gfx.png");
  ASSERT_GT(plat.width, 0);
  ASSERT_GT(obj.width, 0);
  ASSERT_GT(gfx.width, 0);
  // Blocks drawn from the map (block b at frame b - 1) and the balloon above its block.
  const std::vector<int> blocks = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20,
                                   21, 22, 23, 24, 26, 27, 28, 29, 30, 31, 51, 52, 53, 54, 55, 56, 57, 58, 59, 60};
  const std::vector<int> objects = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 25, 26, 27, 28, 29, 30, 31, 32};
  for (int s = 0; s < 3; ++s) {
    for (int f = 0; f <= 47; ++f) {
      if (f != 38) {
        EXPECT_TRUE(drawn(plat, s * kPerStyle + f, 32, 32)) << "player frame " << f << " style " << s;
      }
    }
    for (int f : objects) EXPECT_TRUE(drawn(obj, s * kPerStyle + f, 32, 32)) << "object frame " << f << " style " << s;
    for (int b : blocks) EXPECT_TRUE(drawn(gfx, s * kPerStyle + b - 1, 32, 32)) << "block " << b << " style " << s;
  }
  for (int b : blocks) {
    if (b != 23) {
      EXPECT_TRUE(drawn(gfx, b + 374, 32, 32)) << "palette preview of block " << b;
    }
  }
  const Picture tiny = readPng("tinymap.png");
  for (int b : blocks) {
    if (b != 23) {
      EXPECT_TRUE(drawn(tiny, b - 1, 16, 16)) << "tiny block " << b;
    }
  }
}

TEST(Sheets, StandingFiguresDifferBetweenStyles) {
  const Picture plat = readPng("plat.png");
  ASSERT_GT(plat.width, 0);
  auto cell = [&](int frame) {
    std::vector<std::uint32_t> px;
    const int x0 = (frame % 25) * 32, y0 = (frame / 25) * 32;
    for (int y = y0; y < y0 + 32; ++y) {
      for (int x = x0; x < x0 + 32; ++x) px.push_back(plat.rgb(x, y));
    }
    return px;
  };
  EXPECT_NE(cell(0), cell(75));
  EXPECT_NE(cell(75), cell(150));
  EXPECT_NE(cell(0), cell(150));
}

TEST(Sheets, WaterLoopsEvery256Frames) {
  const Picture water = readPng("water.png");
  ASSERT_GT(water.width, 0);
  auto same = [&](int a, int b) {
    for (int y = 0; y < 32; ++y) {
      for (int x = 0; x < 32; ++x) {
        if (water.rgb((a % 25) * 32 + x, (a / 25) * 32 + y) != water.rgb((b % 25) * 32 + x, (b / 25) * 32 + y)) return false;
      }
    }
    return true;
  };
  EXPECT_TRUE(same(0, 256));
  EXPECT_FALSE(same(0, 128));
  EXPECT_FALSE(same(0, 1));
}

}  // namespace
}  // namespace tobrix::gamedata
