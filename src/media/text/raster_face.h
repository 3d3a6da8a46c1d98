// RasterFace: one face at one cell height, rendering the characters of the single-byte
// Western code page as one-bit glyphs (no smoothing) with the metrics the glyph sheet is
// laid out by: the advance width and the left and right overhangs.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "media/text/font_finder.h"

namespace korvo::platform {

// Style switches of a font request.
struct FontStyle {
  bool bold = false;
  bool italic = false;
  bool underline = false;
};

// A rendered character: its pixels relative to the pen position on the cell's top line.
struct GlyphImage {
  std::int32_t advance = 0;  // pen advance in pixels
  std::int32_t left = 0;     // first column relative to the pen (negative: overhang left)
  std::int32_t top = 0;      // first row below the cell's top line
  std::int32_t width = 0;
  std::int32_t rows = 0;
  std::vector<std::uint8_t> pixels;  // width × rows, 1 where the glyph is set
};

class RasterFace {
 public:
  // Opens file's face with cells height pixels high; null when FreeType cannot.
  static std::unique_ptr<RasterFace> open(const FontFile& file, std::int32_t height, FontStyle style);
  ~RasterFace();
  RasterFace(const RasterFace&) = delete;
  RasterFace& operator=(const RasterFace&) = delete;

  std::int32_t height() const { return height_; }
  // True for a face whose characters all advance alike.
  bool fixedWidth() const;
  // Renders character code (a byte of the Western code page); false when it cannot.
  bool render(std::uint8_t code, GlyphImage& glyph) const;

 private:
  RasterFace(void* face, std::int32_t height, FontStyle style, bool synthBold, bool synthItalic);
  void underline(GlyphImage& glyph) const;

  void* face_;  // FT_Face, kept out of the header
  std::int32_t height_;
  std::int32_t ascent_ = 0;
  FontStyle style_;
  bool synthBold_;
  bool synthItalic_;
};

}  // namespace korvo::platform
