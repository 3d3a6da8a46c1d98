// A TrueType font built from a pixel design: every glyph is made of square pixels, so the
// face renders crisply wherever a pixel lands on whole device pixels (at 14 points one grid
// square is one pixel).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace tobrix::gamedata {

struct PixelGlyph {
  int width = 0;
  std::vector<std::string> rows;  // from the top of the capitals down; 'X' is ink
};

struct PixelFontDesign {
  int ascent = 11, descent = 3;  // grid squares above and below the baseline
  int capHeight = 9;             // rows above the baseline in every glyph
  std::map<char, PixelGlyph> glyphs;
};

// Reads the glyph text (game/data/font/glyphs.txt); throws std::runtime_error on mistakes.
PixelFontDesign parsePixelFont(std::string_view text);

// The TrueType file for printable ASCII under the family name given.
std::vector<std::uint8_t> buildTrueType(const PixelFontDesign& design, const std::string& family);

}  // namespace tobrix::gamedata
