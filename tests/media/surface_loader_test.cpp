// loadSurface: pictures built in code, hostile and oversized input refused without a crash,
// the path rules, and real files from Debian packages.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "media/canvas/surface_loader.h"
#include "media/canvas_test_support.h"
#include "support/debian_package.h"

namespace korvo::platform {
namespace {

namespace fs = std::filesystem;

class SurfaceLoader : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("korvo-loader-" + std::to_string(::getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string write(const std::string& name, const std::string& bytes) {
    const fs::path p = dir_ / name;
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << bytes;
    return p.string();
  }

  fs::path dir_;
};

// A 3x2 picture: top row red, green, blue; bottom row white, black, grey.
test::Bitmap sample() { return {3, 2, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF, 0xFF000000, 0xFF808080}}; }

std::uint32_t pixel(const Surface& s, int x, int y) { return s.format().fetch(s.at(x, y)); }

TEST_F(SurfaceLoader, BmpArrivesUprightAndOpaqueInTheAskedFormat) {
  const std::string file = write("sample.bmp", test::encodeBmp(sample()));
  for (const PixelFormat& f :
       {PixelFormat::xrgb8888(), PixelFormat::argb8888(), PixelFormat::rgb888(), PixelFormat::rgb565()}) {
    auto s = loadSurface(file, f);
    ASSERT_TRUE(s) << f.depth();
    ASSERT_EQ(s->width(), 3);
    ASSERT_EQ(s->height(), 2);
    EXPECT_EQ(s->format(), f);
    for (int i = 0; i < 6; ++i) {
      EXPECT_EQ(pixel(*s, i % 3, i / 3), test::roundTrip(f, sample().argb[i])) << i;
    }
  }
}

TEST_F(SurfaceLoader, TgaIsRecognisedByItsName) {
  // Uncompressed true-colour TGA, 2x1, 32 bits, origin bottom-left.
  std::string tga(18, '\0');
  tga[2] = 2;
  tga[12] = 2;
  tga[14] = 1;
  tga[16] = 32;
  tga[17] = 8;
  tga += std::string("\x10\x20\x30\x00\x40\x50\x60\x00", 8);
  const std::string file = write("Tile.TGA", tga);
  auto s = loadSurface(file, PixelFormat::xrgb8888());
  ASSERT_TRUE(s);
  EXPECT_EQ(pixel(*s, 0, 0), 0xFF302010u) << "alpha 0 in the file still loads opaque";
  EXPECT_EQ(pixel(*s, 1, 0), 0xFF605040u);
  EXPECT_FALSE(loadSurface(write("tile.dat", tga), PixelFormat::xrgb8888())) << "no signature and no known extension";
}

TEST_F(SurfaceLoader, NamesFollowThePathRules) {
  write("Pics/Sprite.BMP", test::encodeBmp(sample()));
  const std::string spelled = (dir_ / "pics").string() + "\\sprite.bmp";
  EXPECT_TRUE(loadSurface(spelled, PixelFormat::xrgb8888()));
  EXPECT_FALSE(loadSurface((dir_ / "missing.png").string(), PixelFormat::xrgb8888()));
  EXPECT_FALSE(loadSurface(dir_.string(), PixelFormat::xrgb8888())) << "a directory";
  // A pipe with no writer would block an ordinary open; a device never ends.
  const std::string fifo = (dir_ / "pipe.png").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_FALSE(loadSurface(fifo, PixelFormat::xrgb8888()));
  EXPECT_FALSE(loadSurface("/dev/zero", PixelFormat::xrgb8888()));
}

// Big-endian 32-bit field.
std::string be32(std::uint32_t v) { return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)}; }
std::string le16(unsigned v) { return {char(v & 255), char(v >> 8)}; }
std::string le32(std::uint32_t v) { return le16(v & 0xFFFF) + le16(v >> 16); }

std::string pngHeader(std::uint32_t w, std::uint32_t h) {
  return std::string("\x89PNG\r\n\x1a\n", 8) + be32(13) + "IHDR" + be32(w) + be32(h) +
         std::string("\x08\x06\x00\x00\x00", 5) + be32(0);
}

std::string bmpHeader(std::int32_t w, std::int32_t h) {
  return "BM" + le32(0) + le32(0) + le32(54) + le32(40) + le32(w) + le32(h) + le16(1) + le16(24) +
         std::string(24, '\0');
}

TEST_F(SurfaceLoader, OversizedHeadersAreRefusedBeforeDecoding) {
  const std::vector<std::pair<std::string, std::string>> files = {
      {"wide.png", pngHeader(100000, 1)},
      {"huge.png", pngHeader(16384, 16384)},
      {"tall.bmp", bmpHeader(1, 20000)},
      {"topdown.bmp", bmpHeader(9000, -9000)},
      {"negative.bmp", bmpHeader(-5, 5)},
      {"screen.gif", "GIF89a" + le16(65535) + le16(65535) + std::string("\0\0\0,", 4) + le16(0) + le16(0) + le16(1) +
                         le16(1) + std::string(1, '\0')},
      {"frame.gif", "GIF89a" + le16(1) + le16(1) + std::string("\0\0\0", 3) + std::string("!\xF9\x04\0\0\0\0\0,", 9) +
                        le16(60000) + le16(0) + le16(10) + le16(10) + std::string(1, '\0')},
      {"big.pcx",
       std::string("\x0A\x05\x01\x08", 4) + le16(0) + le16(0) + le16(30000) + le16(10) + std::string(116, '\0')},
      {"inverted.pcx",
       std::string("\x0A\x05\x01\x08", 4) + le16(10) + le16(0) + le16(5) + le16(10) + std::string(116, '\0')},
      {"big.jpg", std::string("\xFF\xD8\xFF\xE0", 4) + std::string("\x00\x04\x00\x00", 4) +
                      std::string("\xFF\xC0\x00\x11\x08", 5) + le16(0x3075) + le16(0x3075) + std::string(12, '\x01')},
      {"big.tga",
       std::string("\0\0\x02", 3) + std::string(9, '\0') + le16(20000) + le16(20000) + std::string("\x20\x08", 2)},
  };
  for (const auto& [name, bytes] : files) {
    EXPECT_FALSE(loadSurface(write(name, bytes), PixelFormat::xrgb8888())) << name;
  }
}

TEST_F(SurfaceLoader, BitfieldBmpWithUnusualMasksLoads) {
  // 2x2 top-down, 32 bits, red in the top byte (a layout the library refuses).
  std::string bmp = "BM" + le32(0) + le32(0) + le32(66) + le32(40) + le32(2) + le32(-2) + le16(1) + le16(32) + le32(3) +
                    std::string(20, '\0') + le32(0xFF000000) + le32(0x00FF0000) + le32(0x0000FF00);
  for (std::uint32_t p : {0x11223300u, 0x44556600u, 0x778899FFu, 0xAABBCC00u}) bmp += le32(p);
  auto s = loadSurface(write("masks.bmp", bmp), PixelFormat::xrgb8888());
  ASSERT_TRUE(s);
  EXPECT_EQ(pixel(*s, 0, 0), 0xFF112233u);
  EXPECT_EQ(pixel(*s, 1, 0), 0xFF445566u);
  EXPECT_EQ(pixel(*s, 0, 1), 0xFF778899u);
  EXPECT_EQ(pixel(*s, 1, 1), 0xFFAABBCCu);
  EXPECT_FALSE(loadSurface(write("cutmasks.bmp", bmp.substr(0, bmp.size() - 4)), PixelFormat::xrgb8888()));
}

TEST_F(SurfaceLoader, CorruptAndTruncatedInputFailsWithoutACrash) {
  const std::string bmp = test::encodeBmp(sample());
  std::string garbage;
  for (int i = 0; i < 4096; ++i) garbage += char((i * 7919 + 13) & 255);
  const std::vector<std::pair<std::string, std::string>> refused = {
      {"empty.png", ""},
      {"garbage.png", garbage},
      {"short.bmp", "BM"},
      {"headless.bmp", bmp.substr(0, 20)},
      {"short.png", pngHeader(4, 4).substr(0, 20)},
      {"nopixels.png", pngHeader(4, 4)},
      {"noframe.jpg", std::string("\xFF\xD8\xFF\xD9", 4)},
      {"zerolength.jpg", std::string("\xFF\xD8\xFF\xE0\x00\x00", 6)},
      {"loop.gif", "GIF89a" + le16(4) + le16(4) + std::string("\0\0\0", 3) + std::string("!\xFE\xFF", 3)},
      {"tiff.tif", std::string("II*\0\x08\0\0\0", 8) + garbage},
  };
  for (const auto& [name, bytes] : refused) {
    EXPECT_FALSE(loadSurface(write(name, bytes), PixelFormat::xrgb8888())) << name;
  }
  // Cut pixel data: the decoder decides, but must neither crash nor overrun.
  for (std::size_t cut : {std::size_t{54}, std::size_t{60}, bmp.size() - 1}) {
    const auto s = loadSurface(write("cut.bmp", bmp.substr(0, cut)), PixelFormat::xrgb8888());
    if (s) {
      EXPECT_EQ(s->width(), 3);
    }
  }
}

struct RealFile {
  const char* package;
  const char* path;
  int width;
  int height;
};

TEST(SurfaceLoaderRealFiles, DebianPicturesLoad) {
  const RealFile files[] = {
      {"allegro5-doc", "/usr/share/doc/allegro5-doc/examples/data/alexlogo.bmp", 0, 0},
      {"allegro5-doc", "/usr/share/doc/allegro5-doc/examples/data/cursor.tga", 0, 0},
      {"libsdl2-tests", "/usr/libexec/installed-tests/SDL2/axis.bmp", 0, 0},
      {"tuxpaint-data", "/usr/share/doc/tuxpaint-data/html/images/tips.jpg", 0, 0},
      {"pingus-data", "/usr/share/games/pingus/data/images/groundpieces/transparent/foliage/grass2.png", 0, 0},
  };
  int loaded = 0;
  for (const RealFile& f : files) {
    const auto path = test::debianFile(f.package, f.path);
    if (!path) {
      std::cout << "skipping " << f.path << ": package " << f.package << " not available\n";
      continue;
    }
    const auto s = loadSurface(*path, PixelFormat::xrgb8888());
    ASSERT_TRUE(s) << f.path;
    EXPECT_GT(s->width(), 0);
    EXPECT_GT(s->height(), 0);
    // Opaque: nothing but colour reaches the pixels.
    for (int y = 0; y < s->height(); ++y) {
      for (int x = 0; x < s->width(); ++x) {
        ASSERT_EQ(s->format().fetchRaw(s->at(x, y)) >> 24, 0u);
      }
    }
    ++loaded;
  }
  if (loaded == 0) GTEST_SKIP() << "no Debian package could be fetched";
}

TEST(SurfaceLoaderRealFiles, PngSuite) {
  const auto dir = test::debianFile("golang-1.19-src", "/usr/share/go-1.19/src/image/png/testdata/pngsuite");
  if (!dir) GTEST_SKIP() << "package golang-1.19-src not available";
  int good = 0;
  int bad = 0;
  for (const auto& entry : fs::directory_iterator(*dir)) {
    const std::string name = entry.path().filename().string();
    if (entry.path().extension() != ".png") continue;
    const auto s = loadSurface(entry.path().string(), PixelFormat::xrgb8888());
    if (name[0] == 'x') {
      ++bad;  // deliberately broken files: any outcome but a crash
      continue;
    }
    ASSERT_TRUE(s) << name;
    // Cropped variants are named base-NN...: NN × NN pixels; the others are 32 × 32.
    const std::size_t dash = name.find('-');
    const int side =
        dash != std::string::npos && std::isdigit(name[dash + 1]) ? std::stoi(name.substr(dash + 1, 2)) : 32;
    EXPECT_EQ(s->width(), side) << name;
    EXPECT_EQ(s->height(), side) << name;
    ++good;
  }
  EXPECT_GT(good, 20);
  std::cout << good << " good and " << bad << " broken files tried\n";
}

}  // namespace
}  // namespace korvo::platform
