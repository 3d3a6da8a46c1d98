// BitmapFont: glyph sheet layout, string measurement and composition, and canvas text.
#include "media/text/bitmap_font.h"

#include <algorithm>

#include "media/text/text_graphics.h"

namespace korvo::platform {
namespace {

// The font covers the printable bytes of the Western code page; other codes draw as the
// default character, the face's missing-glyph box kept at code 127.
constexpr std::int32_t kFirstChar = 32;
constexpr std::int32_t kLastChar = 255;
constexpr std::int32_t kDefaultChar = 127;

std::unique_ptr<Canvas> newCanvas(std::int32_t w, std::int32_t h, const PixelFormat& format) {
  auto surface = Surface::create(w, h, format);
  return surface ? std::make_unique<Canvas>(std::move(surface)) : nullptr;
}

// A cell: where the glyph goes in the sheet and how far its pixels are shifted in it.
struct Cell {
  std::int32_t x = 0, y = 0, width = 0, lead = 0;
};

}  // namespace

std::unique_ptr<BitmapFont> BitmapFont::create(const RasterFace& face, const PixelFormat& format,
                                               std::int32_t lineWidth) {
  std::unique_ptr<BitmapFont> font(new BitmapFont());
  font->format_ = format;
  font->height_ = face.height();
  font->firstChar_ = kFirstChar;
  font->endChar_ = kLastChar + 1;
  font->defaultChar_ = kDefaultChar;
  const std::int32_t h = font->height_;
  if (h <= 0 || h > Surface::kMaxSide) return nullptr;

  // Measure and lay out: each cell holds the advance plus the overhangs on either side.
  std::vector<GlyphImage> glyphs(kLastChar + 1 - kFirstChar);
  std::vector<Cell> cells(glyphs.size());
  std::int32_t x = 0, y = 0, sheetWidth = 0;
  for (std::int32_t c = kFirstChar; c <= kLastChar; ++c) {
    GlyphImage& g = glyphs[c - kFirstChar];
    if (!face.render(static_cast<std::uint8_t>(c), g)) g = GlyphImage();
    Cell& cell = cells[c - kFirstChar];
    std::int32_t w = g.advance;
    if (g.width > 0 && g.left < 0) {
      cell.lead = -g.left;
      w += cell.lead;
    }
    const std::int32_t right = g.advance - (g.left + g.width);
    if (g.width > 0 && right < 0) w -= right;
    if (x != 0 && x + w > lineWidth) {
      x = 0;
      y += h;
    }
    // Stop as soon as the sheet has outgrown any canvas, before holding more glyphs.
    const std::int64_t sheetHeight = std::int64_t{y} + h;
    const std::int64_t sheetBytes =
        std::max<std::int64_t>(sheetWidth, std::int64_t{x} + w) * sheetHeight * format.bytesPerPixel();
    if (sheetHeight > Surface::kMaxSide || static_cast<std::uint64_t>(sheetBytes) > Surface::kMaxBytes) {
      return nullptr;
    }
    cell.x = x;
    cell.y = y;
    cell.width = w;
    font->glyphPos_.push_back(static_cast<std::uint32_t>(x) << 16 | static_cast<std::uint32_t>(y));
    font->glyphWidth_.push_back(w);
    font->maxCharWidth_ = std::max(font->maxCharWidth_, g.advance);
    x += w;
    sheetWidth = std::max(sheetWidth, x);
  }

  font->sheet_ = newCanvas(sheetWidth, y + h, format);
  font->renderCanvas_ = newCanvas(std::max(lineWidth, 1), h, format);
  if (!font->sheet_ || !font->renderCanvas_) return nullptr;

  // White strokes on black, each glyph clipped to its cell.
  Canvas& sheet = *font->sheet_;
  sheet.lock();
  for (std::size_t i = 0; i < glyphs.size(); ++i) {
    const GlyphImage& g = glyphs[i];
    const Cell& cell = cells[i];
    const Rect bounds = Rect::fromSize(cell.x, cell.y, cell.width, h);
    for (std::int32_t gy = 0; gy < g.rows; ++gy) {
      for (std::int32_t gx = 0; gx < g.width; ++gx) {
        if (!g.pixels[static_cast<std::size_t>(gy) * g.width + gx]) continue;
        const std::int32_t px = cell.x + cell.lead + g.left + gx;
        const std::int32_t py = cell.y + g.top + gy;
        if (bounds.contains(px, py)) sheet.setPixelFast(px, py, 0xFFFFFF);
      }
    }
  }
  sheet.unlock();
  sheet.setMaskColour(0xFFFFFF);
  return font;
}

std::int32_t BitmapFont::stringWidth(std::string_view s) const {
  std::int32_t w = 0;
  for (char c : s) w += width(static_cast<std::uint8_t>(c));
  return w;
}

void BitmapFont::render(Canvas& target, std::uint32_t argb, std::int32_t x, std::int32_t y, std::string_view s) {
  const std::int32_t d = stringWidth(s);
  if (d <= 0) return;
  if (renderCanvas_->width() < d) {
    auto wider = newCanvas(d, height_, format_);
    if (!wider) return;
    renderCanvas_ = std::move(wider);
  }
  Canvas& line = *renderCanvas_;
  line.setColour(argb);
  if ((line.colourARGB() & 0xFFFFFF) == 0) line.setColour(kBlackText);
  line.rect(0, 0, d, height_, true);
  // The glyphs' black backgrounds cover the fill; their white strokes let it show.
  std::int32_t p = 0;
  for (char ch : s) {
    const auto c = static_cast<std::uint8_t>(ch);
    const std::uint32_t pos = glyphPos(c);
    const std::int32_t w = width(c);
    line.blit(p, 0, *sheet_, static_cast<std::int32_t>(pos >> 16), static_cast<std::int32_t>(pos & 0xFFFF), w, height_,
              false);
    p += w;
  }
  target.blit(x, y, line, 0, 0, d, height_, false);
}

void drawText(Canvas& canvas, std::int32_t x, std::int32_t y, std::string_view s) {
  BitmapFont* font = canvasFont(canvas);
  if (!font) return;
  const Rect& v = canvas.viewport();
  const std::int64_t top = std::int64_t{y} + canvas.originY();
  std::int64_t left = std::int64_t{x} + canvas.originX();
  if (top >= v.y1 || top + font->height() <= v.y0 || left >= v.x1) return;
  std::size_t first = 0;
  while (first < s.size()) {
    const std::int32_t w = font->width(static_cast<std::uint8_t>(s[first]));
    if (left + w > v.x0) break;
    left += w;
    ++first;
  }
  std::size_t end = first;
  for (std::int64_t p = left; end < s.size() && p < v.x1; ++end) p += font->width(static_cast<std::uint8_t>(s[end]));
  if (end == first) return;
  // Both edges now lie near the viewport, so the string goes there in canvas pixels: the
  // drawing position itself may lie beyond the int range, with the origin bringing it back.
  const std::int32_t ox = canvas.originX(), oy = canvas.originY();
  canvas.setOrigin(0, 0);
  font->render(canvas, canvas.colourARGB(), static_cast<std::int32_t>(left), static_cast<std::int32_t>(top),
               s.substr(first, end - first));
  canvas.setOrigin(ox, oy);
}

}  // namespace korvo::platform
