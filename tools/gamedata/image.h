// A picture in memory (ARGB pixels) with the few drawing operations the sheets are
// composed with. Magenta is the transparent colour of every masked sheet.
#pragma once

#include <cstdint>
#include <vector>

namespace tobrix::gamedata {

using Argb = std::uint32_t;
inline constexpr Argb kMagenta = 0xFFFF00FF;

constexpr Argb rgb(int r, int g, int b) {
  return 0xFF000000u | (static_cast<Argb>(r & 255) << 16) | (static_cast<Argb>(g & 255) << 8) |
         static_cast<Argb>(b & 255);
}
inline int red(Argb c) { return (c >> 16) & 255; }
inline int green(Argb c) { return (c >> 8) & 255; }
inline int blue(Argb c) { return c & 255; }
// c scaled by f (1.0 keeps it; below darkens, above lightens), clamped per channel.
Argb shade(Argb c, double f);
// The colour t of the way from a to b.
Argb mix(Argb a, Argb b, double t);

class Image {
 public:
  Image() = default;
  Image(int width, int height, Argb fill = kMagenta);

  int width() const { return width_; }
  int height() const { return height_; }
  bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
  Argb at(int x, int y) const { return pixels_[static_cast<std::size_t>(y * width_ + x)]; }
  // Pixels outside the picture are ignored.
  void set(int x, int y, Argb c) {
    if (inside(x, y)) pixels_[static_cast<std::size_t>(y * width_ + x)] = c;
  }
  const std::vector<Argb>& pixels() const { return pixels_; }

  void fillRect(int x, int y, int w, int h, Argb c);
  // A filled ellipse inside the box (x, y, w, h).
  void fillEllipse(double cx, double cy, double rx, double ry, Argb c);
  // A line of the given thickness with round ends.
  void line(double x0, double y0, double x1, double y1, double thickness, Argb c);
  // Copies src with its magenta pixels left out, its top-left corner at (x, y).
  void draw(const Image& src, int x, int y);
  // Copies src scaled up by a whole factor.
  void drawScaled(const Image& src, int x, int y, int factor);
  // Draws an outline of colour c around every non-magenta pixel (four neighbours).
  void outline(Argb c);
  // Mirror image (columns reversed).
  Image mirrored() const;
  // The part (x, y, w, h).
  Image crop(int x, int y, int w, int h) const;

 private:
  int width_ = 0, height_ = 0;
  std::vector<Argb> pixels_;
};

}  // namespace tobrix::gamedata
