// Image commands on the headless display: animation strips and their checks, handles,
// drawing and tiling, transforms with and without the filter, collisions through the
// commands, and real picture files from Debian packages.
#include <filesystem>
#include <fstream>
#include <functional>

#include <gtest/gtest.h>

#include "media/graphics/graphics_commands.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/graphics_system.h"
#include "media/graphics_program.h"
#include "media/images/image_commands.h"
#include "support/debian_package.h"

namespace korvo {
namespace {

using platform::Canvas;
using platform::GraphicsSystem;
namespace fs = std::filesystem;

// Runs body as a program with the graphics module; returns its error text ("" for none).
std::string run(std::function<void()> body, bool debug = false) {
  return testing::runGraphicsProgram(std::move(body), debug);
}

KvString* str(const std::string& s) { return core::newString(s); }

Canvas& frame(std::int32_t image, std::int32_t n = 0) {
  return *GraphicsSystem::current()->canvas(cmd::ImageBuffer(image, n));
}

Canvas& buffer() { return *platform::currentBuffer(); }

fs::path tempFile(const std::string& name) {
  const fs::path dir = fs::temp_directory_path() / ("korvo_image_test_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  return dir / name;
}

// A 96 × 64 strip of six 32 × 32 cells, cell n filled with colour 0x100000 × (n + 1), saved
// as a BMP file.
std::string writeStrip() {
  const std::int32_t strip = cmd::CreateImage(96, 64, 1);
  Canvas& c = frame(strip);
  for (std::int32_t n = 0; n < 6; ++n) {
    c.setColour(0x100000u * static_cast<std::uint32_t>(n + 1));
    c.rect(n % 3 * 32, n / 3 * 32, 32, 32, true);
  }
  const std::string file = tempFile("strip.bmp").string();
  EXPECT_EQ(cmd::SaveImage(strip, str(file), 0), 1);
  cmd::FreeImage(strip);
  return file;
}

TEST(Images, AnimationStripCellsAreTakenAcrossThenDown) {
  const std::string error = run([] {
    const std::string file = writeStrip();
    const std::int32_t anim = cmd::LoadAnimImage(str(file), 32, 32, 2, 3);
    ASSERT_NE(anim, 0);
    EXPECT_EQ(cmd::ImageWidth(anim), 32);
    // Cells 2, 3, 4: at (64, 0), (0, 32) and (32, 32).
    for (std::int32_t n = 0; n < 3; ++n) EXPECT_EQ(frame(anim, n).getPixelFast(5, 5) & 0xFFFFFF, 0x100000u * (n + 3));
    // Six cells cannot give frames 2 to 6.
    cmd::LoadAnimImage(str(file), 32, 32, 2, 5);
  });
  EXPECT_EQ(error, "Not enough frames in bitmap");
}

TEST(Images, AnimationChecksHoldInEveryMode) {
  for (bool debug : {false, true}) {
    std::string file;
    EXPECT_EQ(run(
                  [&] {
                    file = writeStrip();
                    cmd::LoadAnimImage(str(file), 32, 32, 0, 0);
                  },
                  debug),
              "Illegal frame count");
    EXPECT_EQ(run([&] { cmd::LoadAnimImage(str(file), 32, 32, -1, 1); }, debug), "Illegal first frame");
  }
  // A cell of no size: an error in debug mode, no image otherwise; so is an image without frames.
  std::string file;
  EXPECT_EQ(run([&] {
              file = writeStrip();
              EXPECT_EQ(cmd::LoadAnimImage(str(file), 0, 32, 0, 1), 0);
              EXPECT_EQ(cmd::CreateImage(8, 8, 0), 0);
              EXPECT_EQ(cmd::LoadAnimImage(str(tempFile("missing.bmp").string()), 8, 8, 0, 1), 0);
            }),
            "");
  EXPECT_EQ(run([&] { cmd::LoadAnimImage(str(file), 32, 0, 0, 1); }, true), "Illegal cell size");
  EXPECT_EQ(run([&] { cmd::CreateImage(8, 8, -1); }, true), "Illegal frame count");
}

TEST(Images, DebugModeChecksHandlesAndFrames) {
  EXPECT_EQ(run([] { cmd::DrawImage(12345, 0, 0, 0); }, true), "Image does not exist");
  EXPECT_EQ(run([] { cmd::DrawImage(cmd::CreateImage(4, 4, 2), 0, 0, 2); }, true), "Image frame out of range");
  EXPECT_EQ(run(
                [] {
                  cmd::ImageWidth(cmd::CreateImage(4, 4, 2));
                  cmd::FreeImage(999);
                },
                true),
            "");
  EXPECT_EQ(run([] {
              const std::int32_t im = cmd::CreateImage(4, 4, 1);
              cmd::DrawImage(im, 0, 0, -1);
              cmd::FreeImage(im);
              cmd::DrawImage(im, 0, 0, 0);
              EXPECT_EQ(cmd::ImageWidth(im), 0);
            }),
            "");
}

TEST(Images, AutoMidHandleAndDrawingWithAHandle) {
  EXPECT_EQ(run([] {
              cmd::AutoMidHandle(1);
              const std::int32_t odd = cmd::CreateImage(31, 31, 1);
              EXPECT_EQ(cmd::ImageXHandle(odd), 15);
              EXPECT_EQ(cmd::ImageYHandle(odd), 15);
              cmd::AutoMidHandle(0);
              const std::int32_t im = cmd::CreateImage(32, 32, 1);
              Canvas& f = frame(im);
              f.setClsColour(0xFFFFFF);
              f.cls();
              cmd::HandleImage(im, 16, 16);
              cmd::DrawImage(im, 100, 100, 0);
              Canvas& b = buffer();
              EXPECT_EQ(b.getPixelFast(84, 84) & 0xFFFFFF, 0xFFFFFFu);
              EXPECT_EQ(b.getPixelFast(115, 115) & 0xFFFFFF, 0xFFFFFFu);
              EXPECT_EQ(b.getPixelFast(83, 84) & 0xFFFFFF, 0u);
              EXPECT_EQ(b.getPixelFast(116, 115) & 0xFFFFFF, 0u);
              cmd::MidHandle(im);
              EXPECT_EQ(cmd::ImageXHandle(im), 16);
            }),
            "");
}

TEST(Images, TilesCoverTheViewportFromTheHandleModuloTheSize) {
  EXPECT_EQ(run([] {
              const std::int32_t im = cmd::CreateImage(32, 8, 1);
              frame(im).setColour(0xFF0000);
              frame(im).rect(0, 0, 1, 8, true);  // a red first column marks each tile's left edge
              cmd::MaskImage(im, 0, 0, 0);
              cmd::TileBlock(im, 5, 0, 0);
              Canvas& b = buffer();
              for (std::int32_t x = 0; x < 200; ++x)
                ASSERT_EQ((b.getPixelFast(x, 3) & 0xFFFFFF) == 0xFF0000, x % 32 == 5) << x;
              ASSERT_EQ(b.getPixelFast(5, 299) & 0xFFFFFF, 0xFF0000u);  // down to the bottom row
            }),
            "");
}

TEST(Images, CopyImageCopiesFramesHandlesAndMask) {
  EXPECT_EQ(run([] {
              const std::int32_t im = cmd::CreateImage(10, 6, 2);
              frame(im, 1).setPixelFast(3, 2, 0x00FF00);
              cmd::HandleImage(im, 4, 5);
              cmd::MaskImage(im, 1, 2, 3);
              const std::int32_t copy = cmd::CopyImage(im);
              ASSERT_NE(copy, 0);
              EXPECT_EQ(frame(copy, 1).getPixelFast(3, 2) & 0xFFFFFF, 0x00FF00u);
              EXPECT_EQ(frame(copy, 1).handleX(), 4);
              EXPECT_EQ(frame(copy, 0).maskColourARGB() & 0xFFFFFF, 0x010203u);
              EXPECT_EQ(frame(im, 0).handleY(), 5);
            }),
            "");
}

TEST(Images, GrabImageCopiesFromTheBufferLessTheHandle) {
  EXPECT_EQ(run([] {
              Canvas& b = buffer();
              b.setPixelFast(50, 40, 0xABCDEF);
              const std::int32_t im = cmd::CreateImage(4, 4, 1);
              cmd::HandleImage(im, 1, 1);
              cmd::GrabImage(im, 50, 40, 0);
              EXPECT_EQ(frame(im).getPixelFast(1, 1) & 0xFFFFFF, 0xABCDEFu);
            }),
            "");
}

TEST(Images, GrabImageFromBeyondTheIntRangeTakesNothing) {
  EXPECT_EQ(run([] {
              Canvas& b = buffer();
              b.setColour(0xFFFFFF);
              b.rect(0, 0, 20, 20, true);
              const std::int32_t im = cmd::CreateImage(4, 4, 1);
              // x + origin − handle lies past the int range: nothing there to grab.
              cmd::HandleImage(im, -5, 0);
              b.setOrigin(INT32_MAX, 0);
              cmd::GrabImage(im, INT32_MAX, 0, 0);
              EXPECT_EQ(frame(im).getPixelFast(0, 0) & 0xFFFFFF, 0u);
              // A handle at the end of the int range cannot be transformed round, and is left alone.
              cmd::HandleImage(im, INT32_MIN, INT32_MIN);
              cmd::ScaleImage(im, 2, 2);
              EXPECT_EQ(cmd::ImageWidth(im), 4);
            }),
            "");
}

TEST(Images, FreeingTheCurrentBufferSelectsTheFrontBuffer) {
  EXPECT_EQ(run([] {
              const std::int32_t im = cmd::CreateImage(4, 4, 1);
              cmd::SetBuffer(cmd::ImageBuffer(im, 0));
              cmd::FreeImage(im);
              EXPECT_EQ(cmd::GraphicsBuffer(), cmd::FrontBuffer());
              const std::int32_t other = cmd::CreateImage(4, 4, 1);
              cmd::SetBuffer(cmd::ImageBuffer(other, 0));
              cmd::ScaleImage(other, 2, 2);
              EXPECT_EQ(cmd::GraphicsBuffer(), cmd::FrontBuffer());
            }),
            "");
}

// A 4 × 3 picture with a distinct colour per pixel.
std::int32_t numbered() {
  const std::int32_t im = cmd::CreateImage(4, 3, 1);
  for (std::int32_t y = 0; y < 3; ++y)
    for (std::int32_t x = 0; x < 4; ++x) frame(im).setPixelFast(x, y, 0x010000u * (x + 1) + 0x000100u * (y + 1));
  return im;
}

TEST(Transforms, ScalingDoublesSizeAndHandleAndRepeatsPixels) {
  EXPECT_EQ(run([] {
              cmd::TFormFilter(0);
              const std::int32_t im = numbered();
              cmd::HandleImage(im, 2, 1);
              cmd::ScaleImage(im, 2, 2);
              EXPECT_EQ(cmd::ImageWidth(im), 8);
              EXPECT_EQ(cmd::ImageHeight(im), 6);
              EXPECT_EQ(cmd::ImageXHandle(im), 4);
              EXPECT_EQ(cmd::ImageYHandle(im), 2);
              for (std::int32_t y = 0; y < 6; ++y)
                for (std::int32_t x = 0; x < 8; ++x)
                  ASSERT_EQ(frame(im).getPixelFast(x, y) & 0xFFFFFF, 0x010000u * (x / 2 + 1) + 0x000100u * (y / 2 + 1));
            }),
            "");
}

TEST(Transforms, QuarterTurnsMovePixelsExactly) {
  EXPECT_EQ(
      run([] {
        cmd::TFormFilter(0);
        const std::int32_t im = numbered();
        cmd::RotateImage(im, 0);
        EXPECT_EQ(cmd::ImageWidth(im), 4);
        cmd::TFormImage(im, 0, 1, -1, 0);
        // (x, y) goes to (−y, x): a 3 × 4 picture, handle where the old origin landed.
        ASSERT_EQ(cmd::ImageWidth(im), 3);
        ASSERT_EQ(cmd::ImageHeight(im), 4);
        EXPECT_EQ(cmd::ImageXHandle(im), 3);
        EXPECT_EQ(cmd::ImageYHandle(im), 0);
        for (std::int32_t y = 0; y < 3; ++y)
          for (std::int32_t x = 0; x < 4; ++x)
            ASSERT_EQ(frame(im).getPixelFast(2 - y, x) & 0xFFFFFF, 0x010000u * (x + 1) + 0x000100u * (y + 1)) << x << y;
        cmd::TFormImage(im, 0, -1, 1, 0);
        EXPECT_EQ(cmd::ImageXHandle(im), 0);
        for (std::int32_t y = 0; y < 3; ++y)
          for (std::int32_t x = 0; x < 4; ++x)
            ASSERT_EQ(frame(im).getPixelFast(x, y) & 0xFFFFFF, 0x010000u * (x + 1) + 0x000100u * (y + 1)) << x << y;
      }),
      "");
}

TEST(Transforms, TheFilterBlendsNeighboursAndMixesInTheMaskColourAtTheEdge) {
  EXPECT_EQ(run([] {
              const std::int32_t im = cmd::CreateImage(2, 1, 1);
              frame(im).setPixelFast(0, 0, 0x000000);
              frame(im).setPixelFast(1, 0, 0xC8C8C8);
              cmd::MaskImage(im, 0, 0, 0);
              cmd::ScaleImage(im, 2, 1);  // filter on by default
              ASSERT_EQ(cmd::ImageWidth(im), 4);
              // Sample centres at 0.25, 0.75, 1.25, 1.75: mixes of the edge (mask colour), 0 and 200.
              const std::uint32_t expected[4] = {0x000000, 0x323232, 0x969696, 0x969696};
              for (std::int32_t x = 0; x < 4; ++x) EXPECT_EQ(frame(im).getPixelFast(x, 0) & 0xFFFFFF, expected[x]) << x;
            }),
            "");
}

TEST(Transforms, SingularOrEmptyTransformsChangeNothing) {
  EXPECT_EQ(run([] {
              const std::int32_t im = numbered();
              cmd::ScaleImage(im, 0, 1);
              cmd::TFormImage(im, 1, 2, 2, 4);
              cmd::ScaleImage(im, 0.01f, 0.01f);
              cmd::ResizeImage(im, 8, 6);
              EXPECT_EQ(cmd::ImageWidth(im), 8);
              cmd::ScaleImage(im, std::numeric_limits<float>::infinity(), 1);
              EXPECT_EQ(cmd::ImageWidth(im), 8);
            }),
            "");
  EXPECT_EQ(run([] { cmd::ScaleImage(numbered(), 0, 0); }, true), "Illegal image transform");
}

TEST(ImageCommands, CollisionsThroughTheCommands) {
  EXPECT_EQ(run([] {
              const std::int32_t a = cmd::CreateImage(50, 10, 1);
              const std::int32_t b = cmd::CreateImage(10, 10, 1);
              EXPECT_EQ(cmd::ImagesOverlap(a, 0, 0, b, 50, 0), 0);
              EXPECT_EQ(cmd::ImagesOverlap(a, 0, 0, b, 49, 0), 1);
              // Black is the mask colour: nothing collides until a pixel is drawn in each.
              EXPECT_EQ(cmd::ImagesCollide(a, 0, 0, 0, b, 40, 0, 0), 0);
              frame(a).setPixel(45, 5, 0xFFFFFF);
              frame(b).setPixel(5, 5, 0xFFFFFF);
              EXPECT_EQ(cmd::ImagesCollide(a, 0, 0, 0, b, 40, 0, 0), 1);
              EXPECT_EQ(cmd::ImageRectCollide(a, 0, 0, 0, 45, 5, 1, 1), 1);
              EXPECT_EQ(cmd::ImageRectCollide(a, 0, 0, 0, 46, 5, 4, 4), 0);
              EXPECT_EQ(cmd::ImageRectOverlap(a, 0, 0, 46, 5, 4, 4), 1);
              EXPECT_EQ(cmd::RectsOverlap(0, 0, 50, 10, 50, 0, 5, 5), 0);
              EXPECT_EQ(cmd::RectsOverlap(0, 0, 50, 10, 49, 9, 5, 5), 1);
            }),
            "");
}

TEST(ImageFiles, RealPicturesLoadAndBrokenOnesGiveZero) {
  struct File {
    const char* package;
    const char* path;
  };
  const File files[] = {
      {"allegro5-doc", "/usr/share/doc/allegro5-doc/examples/data/alexlogo.bmp"},
      {"allegro5-doc", "/usr/share/doc/allegro5-doc/examples/data/cursor.tga"},
      {"libsdl2-tests", "/usr/libexec/installed-tests/SDL2/axis.bmp"},
      {"tuxpaint-data", "/usr/share/doc/tuxpaint-data/html/images/tips.jpg"},
      {"pingus-data", "/usr/share/games/pingus/data/images/groundpieces/transparent/foliage/grass2.png"},
  };
  std::vector<std::string> paths;
  for (const File& f : files) {
    if (auto p = test::debianFile(f.package, f.path)) paths.push_back(*p);
    else std::cout << "skipping " << f.path << ": package " << f.package << " not available\n";
  }
  if (paths.empty()) GTEST_SKIP() << "no Debian package could be fetched";
  EXPECT_EQ(run([&] {
              for (const std::string& p : paths) {
                const std::int32_t im = cmd::LoadImage(str(p));
                ASSERT_NE(im, 0) << p;
                const std::int32_t w = cmd::ImageWidth(im), h = cmd::ImageHeight(im);
                EXPECT_GT(w, 0);
                // Cut into two frames of half the width, then back from a truncated copy.
                const std::int32_t anim = cmd::LoadAnimImage(str(p), w / 2 > 0 ? w / 2 : 1, h, 0, 1);
                ASSERT_NE(anim, 0) << p;
                EXPECT_EQ(frame(anim).getPixelFast(0, 0), frame(im).getPixelFast(0, 0)) << p;
                std::ifstream in(p, std::ios::binary);
                const std::string bytes{std::istreambuf_iterator<char>(in), {}};
                const fs::path cut = tempFile("cut" + fs::path(p).extension().string());
                std::ofstream(cut, std::ios::binary) << bytes.substr(0, bytes.size() / 3);
                const std::int32_t broken = cmd::LoadImage(str(cut.string()));
                // A decoder may keep what it read.
                if (broken) {
                  EXPECT_EQ(cmd::ImageWidth(broken), w) << p;
                }
                std::ofstream(cut, std::ios::binary) << bytes.substr(0, 16);
                EXPECT_EQ(cmd::LoadImage(str(cut.string())), 0) << p;
              }
            }),
            "");
}

}  // namespace
}  // namespace korvo
