// BitmapFont: a font rendered once into a glyph sheet (white strokes on black, cells laid
// out left to right and wrapped at the display width) from which strings are composed with
// canvas copies. Character codes are bytes; codes outside the font use its default character.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "media/canvas/canvas.h"
#include "media/text/raster_face.h"

namespace korvo::platform {

class BitmapFont {
 public:
  // Colour drawn instead of black, which would vanish against the black glyph background.
  static constexpr std::uint32_t kBlackText = 0x000010;

  // Renders every character of face into a glyph sheet of format whose lines are at most
  // lineWidth wide; null when a canvas cannot be made.
  static std::unique_ptr<BitmapFont> create(const RasterFace& face, const PixelFormat& format, std::int32_t lineWidth);

  std::int32_t maxCharWidth() const { return maxCharWidth_; }
  std::int32_t height() const { return height_; }
  std::int32_t firstChar() const { return firstChar_; }
  std::int32_t endChar() const { return endChar_; }
  // True when code has a glyph of its own.
  bool contains(std::int32_t code) const { return code >= firstChar_ && code < endChar_; }
  // The advance of character c's cell.
  std::int32_t width(std::uint8_t c) const { return glyphWidth_[index(c)]; }
  // Sum of the widths of the characters of s.
  std::int32_t stringWidth(std::string_view s) const;
  // Cell of character c in the glyph sheet: x << 16 | y.
  std::uint32_t glyphPos(std::uint8_t c) const { return glyphPos_[index(c)]; }
  const Canvas& glyphSheet() const { return *sheet_; }

  // Draws s in colour argb with its top left at (x, y) in target's drawing coordinates.
  void render(Canvas& target, std::uint32_t argb, std::int32_t x, std::int32_t y, std::string_view s);

 private:
  BitmapFont() = default;
  std::size_t index(std::uint8_t c) const {
    return static_cast<std::size_t>(contains(c) ? c : defaultChar_) - firstChar_;
  }

  std::unique_ptr<Canvas> sheet_;
  std::unique_ptr<Canvas> renderCanvas_;
  PixelFormat format_ = PixelFormat::xrgb8888();
  std::int32_t maxCharWidth_ = 0;
  std::int32_t height_ = 0;
  std::int32_t firstChar_ = 0;
  std::int32_t endChar_ = 0;
  std::int32_t defaultChar_ = 0;
  std::vector<std::uint32_t> glyphPos_;
  std::vector<std::int32_t> glyphWidth_;
};

// Canvas text: s at (x, y) in canvas's drawing coordinates, in its font (the default font
// if its own is gone) and colour, with the characters wholly outside the viewport left out.
void drawText(Canvas& canvas, std::int32_t x, std::int32_t y, std::string_view s);

}  // namespace korvo::platform
