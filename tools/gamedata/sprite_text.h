// Pixel art written as text: "colour C RRGGBB" lines give a character its colour (for the
// sprites that follow; "." is always transparent), "sprite NAME" starts a picture whose rows
// follow, one character per pixel, up to the next blank line. "#" starts a comment line.
#pragma once

#include <map>
#include <string>
#include <string_view>

#include "image.h"

namespace tobrix::gamedata {

class SpriteSet {
 public:
  // Throws std::runtime_error naming the line of a mistake (unknown character, ragged rows).
  static SpriteSet parse(std::string_view text);
  // Throws std::runtime_error for an unknown name.
  const Image& get(const std::string& name) const;
  // The sprite with every pixel of one colour replaced (from the colour the text gave it).
  Image recoloured(const std::string& name, const std::map<Argb, Argb>& swaps) const;

 private:
  std::map<std::string, Image> sprites_;
};

}  // namespace tobrix::gamedata
