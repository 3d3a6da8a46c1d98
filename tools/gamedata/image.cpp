#include "image.h"

#include <algorithm>
#include <cmath>

namespace tobrix::gamedata {

Argb shade(Argb c, double f) {
  auto ch = [f](int v) { return std::clamp(static_cast<int>(std::lround(v * f)), 0, 255); };
  return rgb(ch(red(c)), ch(green(c)), ch(blue(c)));
}

Argb mix(Argb a, Argb b, double t) {
  auto ch = [t](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * t)); };
  return rgb(ch(red(a), red(b)), ch(green(a), green(b)), ch(blue(a), blue(b)));
}

Image::Image(int width, int height, Argb fill)
    : width_(width), height_(height), pixels_(static_cast<std::size_t>(width * height), fill) {}

void Image::fillRect(int x, int y, int w, int h, Argb c) {
  for (int j = y; j < y + h; ++j) {
    for (int i = x; i < x + w; ++i) set(i, j, c);
  }
}

void Image::fillEllipse(double cx, double cy, double rx, double ry, Argb c) {
  for (int y = static_cast<int>(std::floor(cy - ry)); y <= static_cast<int>(std::ceil(cy + ry)); ++y) {
    for (int x = static_cast<int>(std::floor(cx - rx)); x <= static_cast<int>(std::ceil(cx + rx)); ++x) {
      const double dx = (x + 0.5 - cx) / rx, dy = (y + 0.5 - cy) / ry;
      if (dx * dx + dy * dy <= 1.0) set(x, y, c);
    }
  }
}

void Image::line(double x0, double y0, double x1, double y1, double thickness, Argb c) {
  const double r = thickness / 2;
  const double dx = x1 - x0, dy = y1 - y0;
  const double len2 = dx * dx + dy * dy;
  const int minX = static_cast<int>(std::floor(std::min(x0, x1) - r)), maxX = static_cast<int>(std::ceil(std::max(x0, x1) + r));
  const int minY = static_cast<int>(std::floor(std::min(y0, y1) - r)), maxY = static_cast<int>(std::ceil(std::max(y0, y1) + r));
  for (int y = minY; y <= maxY; ++y) {
    for (int x = minX; x <= maxX; ++x) {
      const double px = x + 0.5, py = y + 0.5;
      double t = len2 > 0 ? ((px - x0) * dx + (py - y0) * dy) / len2 : 0;
      t = std::clamp(t, 0.0, 1.0);
      const double ex = px - (x0 + t * dx), ey = py - (y0 + t * dy);
      if (ex * ex + ey * ey <= r * r) set(x, y, c);
    }
  }
}

void Image::draw(const Image& src, int x, int y) {
  for (int j = 0; j < src.height(); ++j) {
    for (int i = 0; i < src.width(); ++i) {
      if (src.at(i, j) != kMagenta) set(x + i, y + j, src.at(i, j));
    }
  }
}

void Image::drawScaled(const Image& src, int x, int y, int factor) {
  for (int j = 0; j < src.height(); ++j) {
    for (int i = 0; i < src.width(); ++i) {
      if (src.at(i, j) != kMagenta) fillRect(x + i * factor, y + j * factor, factor, factor, src.at(i, j));
    }
  }
}

void Image::outline(Argb c) {
  const Image before = *this;
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      if (before.at(x, y) != kMagenta) continue;
      const bool edge = (x > 0 && before.at(x - 1, y) != kMagenta) || (x + 1 < width_ && before.at(x + 1, y) != kMagenta) ||
                        (y > 0 && before.at(x, y - 1) != kMagenta) || (y + 1 < height_ && before.at(x, y + 1) != kMagenta);
      if (edge) set(x, y, c);
    }
  }
}

Image Image::mirrored() const {
  Image out(width_, height_);
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) out.set(width_ - 1 - x, y, at(x, y));
  }
  return out;
}

Image Image::crop(int x, int y, int w, int h) const {
  Image out(w, h);
  for (int j = 0; j < h; ++j) {
    for (int i = 0; i < w; ++i) {
      if (inside(x + i, y + j)) out.set(i, j, at(x + i, y + j));
    }
  }
  return out;
}

}  // namespace tobrix::gamedata
