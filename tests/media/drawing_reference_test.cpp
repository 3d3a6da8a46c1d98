// Ovals and lines compared pixel for pixel with reference pictures in reference/ (24-bit
// BMP). KORVO_UPDATE_REFERENCES=1 rewrites the pictures instead; review them by eye.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "media/canvas/canvas.h"
#include "media/canvas_test_support.h"
#include "media/reference_pictures.h"

namespace korvo::platform {
namespace {

using test::expectMatchesReference;

void drawOvals(Canvas& c) {
  c.setClsColour(0x202020);
  c.cls();
  c.setColour(0xFF4040);
  c.oval(2, 2, 20, 12, true);
  c.setColour(0x40FF40);
  c.oval(24, 2, 12, 20, false);
  c.setColour(0xFFFFFF);
  c.oval(38, 2, 1, 1, true);
  c.oval(38, 5, 2, 2, false);
  c.oval(38, 9, 3, 3, false);
  c.setColour(0x4080FF);
  c.oval(44, 2, 7, 7, false);
  c.oval(54, 2, 30, 9, false);
  c.oval(86, 2, 8, 21, true);

  // Clipped at the top and bottom by the viewport, and at the right by the canvas.
  c.setViewport(0, 30, 96, 24);
  c.setColour(0xFFFF40);
  c.oval(4, 24, 30, 36, false);
  c.setColour(0xFF40FF);
  c.oval(38, 40, 24, 24, true);
  c.setColour(0x40FFFF);
  c.setOrigin(60, 20);
  c.oval(10, 14, 40, 20, false);
}

void drawLines(Canvas& c) {
  c.setClsColour(0x101030);
  c.cls();
  // A fan from the centre to every eighth border pixel.
  for (int i = 0; i < 64; i += 8) {
    c.setColour(0x406080 + i * 0x030201);
    c.line(32, 32, i, 0);
    c.line(32, 32, 63, i);
    c.line(32, 32, 63 - i, 63);
    c.line(32, 32, 0, 63 - i);
  }
  // Long lines through a small viewport with an origin.
  c.setViewport(8, 40, 20, 16);
  c.setOrigin(4, 4);
  c.setColour(0xFFFF00);
  c.line(-50, 30, 80, 60);
  c.line(10, 100, 20, -100);
  c.setColour(0xFF0000);
  c.line(0, 36, 200, 37);
}

TEST(DrawingReference, Ovals) {
  for (const PixelFormat& f : {PixelFormat::xrgb8888(), PixelFormat::rgb888()}) {
    auto c = test::makeCanvas(96, 64, f);
    drawOvals(*c);
    expectMatchesReference(*c, "ovals.bmp");
  }
}

TEST(DrawingReference, Lines) {
  for (const PixelFormat& f : {PixelFormat::xrgb8888(), PixelFormat::rgb888()}) {
    auto c = test::makeCanvas(64, 64, f);
    drawLines(*c);
    expectMatchesReference(*c, "lines.bmp");
  }
}

TEST(DrawingReference, SixteenBitDrawsTheSameShapes) {
  auto wide = test::makeCanvas(96, 64, PixelFormat::xrgb8888());
  auto narrow = test::makeCanvas(96, 64, PixelFormat::rgb565());
  drawOvals(*wide);
  drawOvals(*narrow);
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 96; ++x) {
      ASSERT_EQ(narrow->getPixelFast(x, y), test::roundTrip(PixelFormat::rgb565(), wide->getPixelFast(x, y)))
          << x << "," << y;
    }
  }
}

}  // namespace
}  // namespace korvo::platform
