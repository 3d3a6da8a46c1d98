// RasterFace over FreeType: cell sizing, the code page, one-bit rendering, synthetic bold
// and italic for faces that lack them, and the underline.
#include "media/text/raster_face.h"

#include <algorithm>
#include <cmath>

#include "media/text/freetype_library.h"
#include FT_SYNTHESIS_H

namespace korvo::platform {
namespace {

FT_Face asFace(void* f) { return static_cast<FT_Face>(f); }

// Unicode of the Western code page's bytes 0x80-0x9F; 0 where the page has no character.
constexpr std::uint16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

FT_ULong unicodeOf(std::uint8_t code) {
  if (code >= 0x80 && code < 0xA0) return kHighControls[code - 0x80];
  return code;
}

std::int32_t ceil26(FT_Pos v) { return static_cast<std::int32_t>((v + 63) >> 6); }

}  // namespace

std::unique_ptr<RasterFace> RasterFace::open(const FontFile& file, std::int32_t height, FontStyle style) {
  if (height <= 0) return nullptr;
  FT_Face face = nullptr;
  if (FT_New_Face(freetype(), file.path.c_str(), file.index, &face) != 0) return nullptr;
  // The height asked for is the whole cell: ascender plus descender.
  FT_Size_RequestRec request{};
  request.type = FT_SIZE_REQUEST_TYPE_CELL;
  request.height = static_cast<FT_Long>(height) * 64;
  if (!FT_IS_SCALABLE(face) || FT_Request_Size(face, &request) != 0) {
    FT_Done_Face(face);
    return nullptr;
  }
  return std::unique_ptr<RasterFace>(
      new RasterFace(face, height, style, style.bold && !file.bold, style.italic && !file.italic));
}

RasterFace::RasterFace(void* face, std::int32_t height, FontStyle style, bool synthBold, bool synthItalic)
    : face_(face), height_(height), style_(style), synthBold_(synthBold), synthItalic_(synthItalic) {
  const FT_Size_Metrics& m = asFace(face_)->size->metrics;
  const std::int32_t ascent = ceil26(m.ascender);
  const std::int32_t descent = ceil26(-m.descender);
  // Share any rounding excess between top and bottom so the baseline sits where the face
  // puts it in a cell of exactly the height asked for.
  ascent_ = std::clamp(ascent - std::max(0, ascent + descent - height_) / 2, 0, height_);
}

RasterFace::~RasterFace() { FT_Done_Face(asFace(face_)); }

bool RasterFace::fixedWidth() const { return FT_IS_FIXED_WIDTH(asFace(face_)); }

bool RasterFace::render(std::uint8_t code, GlyphImage& glyph) const {
  FT_Face face = asFace(face_);
  const FT_UInt index = FT_Get_Char_Index(face, unicodeOf(code));
  if (FT_Load_Glyph(face, index, FT_LOAD_TARGET_MONO | FT_LOAD_NO_BITMAP) != 0) return false;
  FT_GlyphSlot slot = face->glyph;
  if (synthBold_) FT_GlyphSlot_Embolden(slot);
  if (synthItalic_) FT_GlyphSlot_Oblique(slot);
  if (FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) != 0) return false;
  const FT_Bitmap& bitmap = slot->bitmap;
  glyph.advance = static_cast<std::int32_t>((slot->advance.x + 32) >> 6);
  glyph.left = slot->bitmap_left;
  glyph.top = ascent_ - slot->bitmap_top;
  glyph.width = static_cast<std::int32_t>(bitmap.width);
  glyph.rows = static_cast<std::int32_t>(bitmap.rows);
  glyph.pixels.assign(static_cast<std::size_t>(glyph.width) * glyph.rows, 0);
  for (std::int32_t y = 0; y < glyph.rows; ++y) {
    const unsigned char* row = bitmap.buffer + static_cast<std::ptrdiff_t>(y) * bitmap.pitch;
    for (std::int32_t x = 0; x < glyph.width; ++x) {
      glyph.pixels[static_cast<std::size_t>(y) * glyph.width + x] = (row[x >> 3] >> (7 - (x & 7))) & 1;
    }
  }
  if (style_.underline) underline(glyph);
  return true;
}

void RasterFace::underline(GlyphImage& glyph) const {
  FT_Face face = asFace(face_);
  const FT_Fixed scale = face->size->metrics.y_scale;
  const std::int32_t thickness =
      std::max(1, static_cast<std::int32_t>(std::lround(FT_MulFix(face->underline_thickness, scale) / 64.0)));
  const std::int32_t below = static_cast<std::int32_t>(std::lround(-FT_MulFix(face->underline_position, scale) / 64.0));
  const std::int32_t lineTop = std::min(ascent_ + std::max(below, 1), height_ - thickness);
  // Grow the glyph's box to take in the line, which spans the advance.
  const std::int32_t x0 = std::min(glyph.left, 0);
  const std::int32_t x1 = std::max(glyph.left + glyph.width, glyph.advance);
  const std::int32_t y0 = glyph.rows ? std::min(glyph.top, lineTop) : lineTop;
  const std::int32_t y1 = std::max(glyph.rows ? glyph.top + glyph.rows : 0, lineTop + thickness);
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(x1 - x0) * (y1 - y0), 0);
  for (std::int32_t y = 0; y < glyph.rows; ++y) {
    for (std::int32_t x = 0; x < glyph.width; ++x) {
      pixels[static_cast<std::size_t>(glyph.top + y - y0) * (x1 - x0) + (glyph.left + x - x0)] =
          glyph.pixels[static_cast<std::size_t>(y) * glyph.width + x];
    }
  }
  for (std::int32_t y = lineTop; y < lineTop + thickness; ++y) {
    for (std::int32_t x = 0; x < glyph.advance; ++x)
      pixels[static_cast<std::size_t>(y - y0) * (x1 - x0) + (x - x0)] = 1;
  }
  glyph.left = x0;
  glyph.top = y0;
  glyph.width = x1 - x0;
  glyph.rows = y1 - y0;
  glyph.pixels = std::move(pixels);
}

}  // namespace korvo::platform
