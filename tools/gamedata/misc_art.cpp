#include "misc_art.h"

#include <cmath>
#include <numbers>

#include "sheet_layout.h"
#include "style_theme.h"

namespace tobrix::gamedata {
namespace {

constexpr double kTau = 2 * std::numbers::pi;
constexpr int kTinyBlocks = 100;
constexpr int kLastBlock = 75;  // the block table's last entry; previews stand at b + 374

}  // namespace

Image waterFrame(int step) {
  Image img(kCell, kCell);
  const double t = static_cast<double>(step) / kWaterLoop;
  for (int y = 0; y < kCell; ++y) {
    for (int x = 0; x < kCell; ++x) {
      // Ripples that tile across cells and come back to the start after 256 steps.
      const double u = x / 32.0, v = y / 32.0;
      const double w = std::sin(kTau * (u + 2 * t)) + std::sin(kTau * (v + u - 3 * t)) +
                       0.7 * std::sin(kTau * (2 * v - u + 5 * t)) + 0.5 * std::sin(kTau * (2 * u + v + 4 * t));
      const double light = 0.5 + w / 6.4;
      Argb c = mix(rgb(16, 60, 170), rgb(60, 140, 235), light);
      if (w > 2.0) c = rgb(170, 225, 255);
      img.set(x, y, c);
    }
  }
  return img;
}

Image swirlFrame(int step) {
  Image img(kCell, kCell);
  const double turn = kTau * step / kSwirlFrames;
  for (int y = 0; y < kCell; ++y) {
    for (int x = 0; x < kCell; ++x) {
      const double dx = x + 0.5 - 16, dy = y + 0.5 - 16, r = std::sqrt(dx * dx + dy * dy);
      if (r > 15.5) continue;
      const double arm = std::sin(3 * std::atan2(dy, dx) + r * 0.45 - turn);
      const double glow = 1 - r / 16;
      Argb c = mix(rgb(40, 10, 90), rgb(170, 90, 255), (arm + 1) / 2);
      c = mix(c, rgb(255, 245, 255), glow * glow * 0.9);
      if (r > 14.5) c = rgb(30, 8, 60);
      img.set(x, y, c);
    }
  }
  return img;
}

Image blockSheet(const BlockArt& art) {
  Image sheet = emptySheet(kCell, kCell, kSheetFrames);
  for (int s = 0; s < kStyles; ++s) {
    for (int b = 1; b <= kLastBlock; ++b) placeFrame(sheet, s * kFramesPerStyle + b - 1, art.tile(b, s));
  }
  for (int b = 1; b <= kLastBlock; ++b) {
    const Image tile = art.tile(b, 0);
    bool drawn = false;
    for (const Argb c : tile.pixels()) drawn = drawn || c != kMagenta;
    if (drawn) placeFrame(sheet, b + 374, art.preview(b));
  }
  return sheet;
}

Image waterSheet() {
  Image sheet = emptySheet(kCell, kCell, kSheetFrames);
  for (int f = 0; f < kSheetFrames; ++f) placeFrame(sheet, f, waterFrame(f % kWaterLoop));
  return sheet;
}

Image swirlSheet() {
  Image sheet = emptySheet(kCell, kCell, kSwirlFrames);
  for (int f = 0; f < kSwirlFrames; ++f) placeFrame(sheet, f, swirlFrame(f));
  return sheet;
}

Image tinyMapSheet(const BlockArt& art) {
  constexpr int kTiny = 16;
  Image sheet = emptySheet(kTiny, kTiny, kTinyBlocks);
  for (int b = 1; b <= kTinyBlocks; ++b) {
    const Image tile = art.preview(b);
    const Image plain = art.tile(b, 0);
    Image small(kTiny, kTiny);
    for (int y = 0; y < kTiny; ++y) {
      for (int x = 0; x < kTiny; ++x) {
        // Each small pixel is the average of the four it stands for, where the block is drawn.
        int r = 0, g = 0, bl = 0, n = 0;
        for (int j = 0; j < 2; ++j) {
          for (int i = 0; i < 2; ++i) {
            if (plain.at(2 * x + i, 2 * y + j) == kMagenta && b != kWater && b != kExit) continue;
            const Argb c = tile.at(2 * x + i, 2 * y + j);
            r += red(c), g += green(c), bl += blue(c), ++n;
          }
        }
        if (n >= 2) small.set(x, y, rgb(r / n, g / n, bl / n));
      }
    }
    placeFrame(sheet, b - 1, small, kSheetColumns);
  }
  return sheet;
}

Image mouseSheet(const SpriteSet& ui) {
  Image sheet = emptySheet(kCell, kCell, 8);
  Image pointer(kCell, kCell);
  pointer.draw(ui.get("pointer"), 0, 0);
  placeFrame(sheet, 0, pointer);
  Image hand(kCell, kCell);
  hand.draw(ui.get("hand"), 5, 5);
  placeFrame(sheet, 1, hand);
  // The editor's backdrop: a quiet grid that shows the cells.
  Image backdrop(kCell, kCell, rgb(24, 24, 40));
  for (int i = 0; i < kCell; ++i) {
    backdrop.set(i, 0, rgb(44, 44, 70));
    backdrop.set(0, i, rgb(44, 44, 70));
  }
  backdrop.set(16, 16, rgb(60, 60, 90));
  placeFrame(sheet, 3, backdrop);
  // The map's border: warning stripes.
  Image border(kCell, kCell);
  for (int y = 0; y < kCell; ++y) {
    for (int x = 0; x < kCell; ++x) border.set(x, y, ((x + y) / 8) % 2 ? rgb(30, 30, 30) : rgb(230, 180, 30));
  }
  placeFrame(sheet, 4, border);
  return sheet;
}

Image buttonSheet() {
  constexpr int kW = 64, kH = 32;
  Image sheet = emptySheet(kW, kH, 2);
  for (int f = 0; f < 2; ++f) {
    const Argb face = f == 0 ? rgb(200, 200, 214) : rgb(255, 236, 140);
    Image b(kW, kH);
    for (int y = 1; y < kH - 1; ++y) {
      for (int x = 1; x < kW - 1; ++x) {
        // Rounded corners: leave the corner pixels out.
        const bool corner = (x < 3 || x > kW - 4) && (y < 3 || y > kH - 4) && (x + y < 4 || x + y > kW + kH - 6 ||
                                                                                   x - y > kW - 4 || y - x > kH - 4);
        if (corner) continue;
        Argb c = face;
        if (y < 4) c = shade(face, 1.15);
        if (y > kH - 5) c = shade(face, 0.7);
        if (x == 1 || y == 1 || x == kW - 2 || y == kH - 2) c = rgb(40, 40, 60);
        b.set(x, y, c);
      }
    }
    placeFrame(sheet, f, b, 2);
  }
  return sheet;
}

}  // namespace tobrix::gamedata
