#include "object_art.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "block_tiles.h"
#include "sheet_layout.h"
#include "style_theme.h"

namespace tobrix::gamedata {

Image crateFrame(int style) {
  const StyleTheme& t = theme(style);
  const Argb face = style == 2 ? rgb(200, 120, 255) : t.wood, dark = style == 2 ? rgb(110, 40, 160) : t.woodDark;
  Image img(kCell, kCell, face);
  for (int i = 0; i < kCell; ++i) {
    for (int j = 0; j < 4; ++j) {
      img.set(i, j, dark);
      img.set(j, i, dark);
      img.set(i, kCell - 1 - j, dark);
      img.set(kCell - 1 - j, i, dark);
    }
    img.set(i, 0, rgb(20, 10, 4));
    img.set(0, i, rgb(20, 10, 4));
    img.set(i, 31, rgb(20, 10, 4));
    img.set(31, i, rgb(20, 10, 4));
  }
  img.line(5, 5, 26, 26, 4, dark);
  img.line(26, 5, 5, 26, 4, dark);
  for (int y = 5; y < 27; y += 7) img.fillRect(5, y, 22, 1, shade(face, 1.15));
  for (int x : {2, 28}) {
    for (int y : {2, 28}) img.fillRect(x, y, 2, 2, t.metal);
  }
  return img;
}

Image ringFrame(int style, int step) {
  static constexpr double kWidths[4] = {11, 8, 3, 8};
  const double rx = kWidths[step];
  Image img(kCell, kCell);
  img.fillEllipse(16, 16, rx + 1.5, 12.5, rgb(120, 70, 0));
  img.fillEllipse(16, 16, rx, 11, rgb(255, 200, 30));
  img.fillEllipse(16, 16, std::max(rx - 3.5, 0.0), 7.5, kMagenta);
  if (rx > 4) img.fillEllipse(16 - rx * 0.6, 10, 1.5, 2.5, rgb(255, 255, 210));
  return img;
}

Image dartFrame(int style, int dx, int dy) {
  const StyleTheme& t = theme(style);
  Image right(kCell, kCell);
  right.line(6, 16, 24, 16, 3, rgb(90, 60, 30));
  right.line(6, 15, 24, 15, 1, rgb(180, 140, 90));
  for (int i = 0; i < 6; ++i) right.fillRect(24 + i, 16 - (5 - i), 1, 2 * (5 - i) + 1, t.metal);
  right.line(3, 12, 8, 16, 2, t.accent);
  right.line(3, 20, 8, 16, 2, t.accent);
  right.outline(rgb(20, 10, 10));
  Image out(kCell, kCell);
  for (int y = 0; y < kCell; ++y) {
    for (int x = 0; x < kCell; ++x) {
      const Argb c = right.at(x, y);
      if (dx > 0) out.set(x, y, c);
      else if (dx < 0) out.set(31 - x, y, c);
      else if (dy > 0) out.set(y, x, c);
      else out.set(y, 31 - x, c);
    }
  }
  return out;
}

Image balloonFrame(int style, int step) {
  static constexpr Argb kColours[kStyles] = {rgb(230, 50, 60), rgb(250, 120, 200), rgb(90, 255, 170)};
  const Argb c = kColours[style];
  const double sway = (step - 1) * 1.5;
  Image img(kCell, kCell);
  img.line(16 + sway, 22, 16, 32, 1.2, rgb(240, 240, 240));
  img.fillEllipse(16 + sway, 12, 10, 11.5, shade(c, 0.5));
  img.fillEllipse(16 + sway, 12, 9, 10.5, c);
  img.fillEllipse(12 + sway, 7, 2.5, 3.5, shade(c, 1.6));
  img.fillRect(15 + static_cast<int>(sway), 23, 3, 2, shade(c, 0.5));
  return img;
}

Image sphereFrame(int style, int step) {
  Image img(kCell, kCell);
  img.fillEllipse(16, 16, 11, 11, rgb(10, 20, 80));
  img.fillEllipse(16, 16, 10, 10, rgb(40, 90, 230));
  // A bright band turning around the sphere.
  const double phase = step * std::numbers::pi / 4;
  for (int y = 6; y < 27; ++y) {
    for (int x = 6; x < 27; ++x) {
      const double dx = (x + 0.5 - 16) / 10, dy = (y + 0.5 - 16) / 10;
      if (dx * dx + dy * dy > 1) continue;
      const double lon = std::asin(std::clamp(dx / std::sqrt(std::max(1e-9, 1 - dy * dy)), -1.0, 1.0));
      if (std::fmod(lon * 2 + phase + 10 * std::numbers::pi, std::numbers::pi) < 0.5) img.set(x, y, rgb(110, 180, 255));
    }
  }
  img.fillEllipse(12, 11, 3, 2.5, rgb(230, 245, 255));
  return img;
}

Image objectSheet() {
  Image sheet = emptySheet(kCell, kCell, kSheetFrames);
  for (int s = 0; s < kStyles; ++s) {
    const int base = s * kFramesPerStyle;
    placeFrame(sheet, base + 0, crateFrame(s));
    for (int i = 0; i < 4; ++i) placeFrame(sheet, base + 1 + i, ringFrame(s, i));
    placeFrame(sheet, base + 5, dartFrame(s, 1, 0));
    placeFrame(sheet, base + 6, dartFrame(s, -1, 0));
    for (int i = 0; i < 3; ++i) placeFrame(sheet, base + 7 + i, balloonFrame(s, i));
    placeFrame(sheet, base + 10, dartFrame(s, 0, 1));
    placeFrame(sheet, base + 11, dartFrame(s, 0, -1));
    for (int i = 0; i < 8; ++i) placeFrame(sheet, base + 25 + i, sphereFrame(s, i));
  }
  return sheet;
}

}  // namespace tobrix::gamedata
