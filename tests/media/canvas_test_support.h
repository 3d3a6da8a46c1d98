// Helpers for canvas tests: canvases of each depth, pixels drawn as text, and 24-bit BMP
// reference pictures read and written (KORVO_UPDATE_REFERENCES=1 rewrites them for review).
#pragma once

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "media/canvas/canvas.h"

namespace korvo::test {

using platform::Canvas;
using platform::PixelFormat;
using platform::Surface;

inline std::unique_ptr<Canvas> makeCanvas(int w, int h, const PixelFormat& f = PixelFormat::xrgb8888()) {
  return std::make_unique<Canvas>(Surface::create(w, h, f));
}

// argb after a round trip through format f.
inline std::uint32_t roundTrip(const PixelFormat& f, std::uint32_t argb) { return f.toARGB(f.toSurface(argb)); }

// The canvas as rows of text: '.' for pixels equal to background (ARGB; by default what a new
// surface holds), '#' otherwise.
inline std::string picture(const Canvas& c, std::optional<std::uint32_t> backgroundArgb = {}) {
  const std::uint32_t background = backgroundArgb.value_or(c.format().toARGB(0));
  std::string out;
  for (int y = 0; y < c.height(); ++y) {
    for (int x = 0; x < c.width(); ++x) out += c.getPixelFast(x, y) == background ? '.' : '#';
    out += '\n';
  }
  return out;
}

// A picture's pixels as ARGB, rows top-down.
struct Bitmap {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> argb;
};

inline Bitmap snapshot(const Canvas& c) {
  Bitmap b{c.width(), c.height(), {}};
  for (int y = 0; y < c.height(); ++y) {
    for (int x = 0; x < c.width(); ++x) b.argb.push_back(c.getPixelFast(x, y));
  }
  return b;
}

inline void put16(std::string& s, unsigned v) {
  s += char(v & 255);
  s += char((v >> 8) & 255);
}
inline void put32(std::string& s, std::uint32_t v) {
  put16(s, v & 0xFFFF);
  put16(s, v >> 16);
}

// A bottom-up 24-bit BMP file of b.
inline std::string encodeBmp(const Bitmap& b) {
  const int rowSize = (b.width * 3 + 3) & ~3;
  std::string s = "BM";
  put32(s, 54 + rowSize * b.height);
  put32(s, 0);
  put32(s, 54);
  put32(s, 40);
  put32(s, b.width);
  put32(s, b.height);
  put16(s, 1);
  put16(s, 24);
  for (int i = 0; i < 6; ++i) put32(s, 0);
  for (int y = b.height - 1; y >= 0; --y) {
    for (int x = 0; x < b.width; ++x) {
      const std::uint32_t p = b.argb[std::size_t(y) * b.width + x];
      s += char(p & 255);
      s += char((p >> 8) & 255);
      s += char((p >> 16) & 255);
    }
    s.append(rowSize - b.width * 3, '\0');
  }
  return s;
}

// Reads a file written by encodeBmp; none if it is missing or malformed.
inline std::optional<Bitmap> readBmp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::string s((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (s.size() < 54 || s[0] != 'B' || s[1] != 'M') return std::nullopt;
  const auto u32 = [&](std::size_t o) {
    return std::uint32_t(std::uint8_t(s[o])) | std::uint32_t(std::uint8_t(s[o + 1])) << 8 |
           std::uint32_t(std::uint8_t(s[o + 2])) << 16 | std::uint32_t(std::uint8_t(s[o + 3])) << 24;
  };
  Bitmap b{int(u32(18)), int(u32(22)), {}};
  const int rowSize = (b.width * 3 + 3) & ~3;
  if (s.size() < 54 + std::size_t(rowSize) * b.height) return std::nullopt;
  b.argb.resize(std::size_t(b.width) * b.height);
  for (int y = 0; y < b.height; ++y) {
    const std::size_t row = 54 + std::size_t(b.height - 1 - y) * rowSize;
    for (int x = 0; x < b.width; ++x) {
      const std::size_t o = row + std::size_t(x) * 3;
      b.argb[std::size_t(y) * b.width + x] = 0xFF000000u | std::uint8_t(s[o]) |
                                             std::uint32_t(std::uint8_t(s[o + 1])) << 8 |
                                             std::uint32_t(std::uint8_t(s[o + 2])) << 16;
    }
  }
  return b;
}

inline bool updatingReferences() {
  const char* v = std::getenv("KORVO_UPDATE_REFERENCES");
  return v && *v && std::string(v) != "0";
}

}  // namespace korvo::test
