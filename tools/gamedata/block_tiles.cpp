#include "block_tiles.h"

#include <cmath>
#include <numbers>

#include "object_art.h"
#include "style_theme.h"

namespace tobrix::gamedata {
namespace {

Image blank() { return Image(kCell, kCell); }

// Rough cave stones: the nearest of a few fixed points (wrapping round the tile, so walls
// join up) gives each pixel its stone; pixels near the border between two stones are the
// dark cracks, and each stone is lit from the top left.
Argb caveStone(int x, int y, const StyleTheme& t) {
  static constexpr int kStones[7][2] = {{5, 4}, {19, 2}, {28, 12}, {11, 14}, {3, 24}, {20, 22}, {29, 29}};
  double nearest = 1e9, second = 1e9;
  int which = 0;
  double dx0 = 0, dy0 = 0;
  for (int i = 0; i < 7; ++i) {
    for (int wx = -1; wx <= 1; ++wx) {
      for (int wy = -1; wy <= 1; ++wy) {
        const double dx = x + 0.5 - (kStones[i][0] + wx * kCell), dy = y + 0.5 - (kStones[i][1] + wy * kCell);
        const double d = std::sqrt(dx * dx + dy * dy);
        if (d < nearest) {
          second = nearest, nearest = d, which = i, dx0 = dx, dy0 = dy;
        } else if (d < second) {
          second = d;
        }
      }
    }
  }
  if (second - nearest < 1.6) return t.mortar;
  const double tone = 0.88 + (noise(which, 0, 5) % 18) / 100.0 + (noise(x, y, 4) % 6) / 100.0;
  const double light = -(dx0 + dy0) / 14.0;  // lit from the top left
  Argb c = shade(t.wallMid, tone);
  if (light > 0.35) c = shade(t.wallLight, tone);
  if (light < -0.45) c = shade(t.wallDark, tone);
  if (second - nearest < 2.6 && light < 0) c = shade(t.wallDark, tone * 0.9);
  return c;
}

// Bricks in three looks: cave stones, sunny sandstone blocks, speed-world steel panels.
Image wallBody(int style) {
  const StyleTheme& t = theme(style);
  Image img(kCell, kCell, t.wallMid);
  for (int y = 0; y < kCell; ++y) {
    for (int x = 0; x < kCell; ++x) {
      Argb c = t.wallMid;
      if (style == 0) {
        c = caveStone(x, y, t);
      } else if (style == 1) {
        const int bx = x % 16, by = y % 16;
        c = t.wallMid;
        if (bx < 2 || by < 2) c = t.wallLight;
        if (bx >= 14 || by >= 14) c = t.wallDark;
        if (bx == 15 || by == 15) c = t.mortar;
        if ((bx == 5 && by == 5) || (bx == 10 && by == 9)) c = t.wallDark;
      } else {
        const int bx = x % 16, by = y % 16;
        c = ((x + y) / 4) % 4 == 0 ? shade(t.wallMid, 1.12) : t.wallMid;
        if (bx == 0 || by == 0) c = t.wallLight;
        if (bx == 15 || by == 15) c = t.mortar;
        if ((bx == 3 || bx == 12) && (by == 3 || by == 12)) c = t.accent;
      }
      img.set(x, y, c);
    }
  }
  return img;
}

Image toppedWall(int style) {
  const StyleTheme& t = theme(style);
  Image img = wallBody(style);
  for (int x = 0; x < kCell; ++x) {
    // A cap of moss, grass or neon with a ragged lower edge.
    const int depth = style == 2 ? 5 : 5 + static_cast<int>(noise(x / 3, 0, 7 + style) % 4);
    for (int y = 0; y < depth; ++y) img.set(x, y, y == 0 ? t.topLight : (y == depth - 1 ? t.topDark : mix(t.topLight, t.topDark, 0.35)));
    if (style == 1 && x % 6 == 2) img.set(x, 0, shade(t.topLight, 1.2));
  }
  return img;
}

// A beam across the top of the cell: wood in the cave, a neon bar at speed. In the sky
// world rails are solid, so they show as whole blocks.
Image railTile(int style) {
  const StyleTheme& t = theme(style);
  if (style == 1) {
    Image img(kCell, kCell, t.wood);
    for (int y = 0; y < kCell; ++y) {
      for (int x = 0; x < kCell; ++x) {
        if (x < 2 || y < 2) img.set(x, y, shade(t.wood, 1.05));
        if (x >= 29 || y >= 29) img.set(x, y, t.woodDark);
        if ((x - y + 64) % 16 < 3 && x > 2 && y > 2 && x < 29 && y < 29) img.set(x, y, shade(t.wood, 0.9));
      }
    }
    return img;
  }
  Image img = blank();
  img.fillRect(0, 0, kCell, 9, t.wood);
  img.fillRect(0, 0, kCell, 2, style == 0 ? shade(t.wood, 1.3) : rgb(255, 255, 255));
  img.fillRect(0, 8, kCell, 2, t.woodDark);
  for (int x = 3; x < kCell; x += 14) img.fillRect(x, 4, 2, 2, style == 0 ? t.metalDark : t.accent);
  return img;
}

Image ladderTile(int style) {
  const StyleTheme& t = theme(style);
  Image img = blank();
  const Argb side = style == 1 ? rgb(60, 170, 60) : t.wood, dark = style == 1 ? rgb(30, 100, 30) : t.woodDark;
  img.fillRect(5, 0, 4, kCell, side);
  img.fillRect(23, 0, 4, kCell, side);
  img.fillRect(8, 0, 1, kCell, dark);
  img.fillRect(26, 0, 1, kCell, dark);
  for (int y = 3; y < kCell; y += 10) {
    img.fillRect(9, y, 14, 3, side);
    img.fillRect(9, y + 2, 14, 1, dark);
  }
  return img;
}

Image bevelBox(Argb face, Argb light, Argb dark, Argb edge) {
  Image img(kCell, kCell, face);
  for (int i = 0; i < kCell; ++i) {
    for (int j = 0; j < 3; ++j) {
      img.set(i, j, light);
      img.set(j, i, light);
      img.set(i, kCell - 1 - j, dark);
      img.set(kCell - 1 - j, i, dark);
    }
  }
  for (int i = 0; i < kCell; ++i) {
    img.set(i, 0, edge);
    img.set(0, i, edge);
    img.set(i, kCell - 1, edge);
    img.set(kCell - 1, i, edge);
  }
  return img;
}

Image questionTile(const SpriteSet& symbols, bool used) {
  const Argb face = used ? rgb(150, 100, 60) : rgb(250, 190, 40);
  Image img = bevelBox(face, shade(face, 1.3), shade(face, 0.6), rgb(40, 20, 8));
  for (int x : {5, 25}) {
    for (int y : {5, 25}) img.fillRect(x, y, 2, 2, shade(face, 0.5));
  }
  if (!used) img.draw(symbols.get("question"), 11, 9);
  return img;
}

Image ropeTile(int style, int piece) {
  const StyleTheme& t = theme(style);
  Image img = blank();
  auto strand = [&](double x0, double y0, double x1, double y1) {
    img.line(x0, y0, x1, y1, 5, t.woodDark);
    img.line(x0, y0, x1, y1, 3, style == 2 ? t.wood : rgb(214, 176, 110));
  };
  switch (piece) {
    case kRope: strand(0, 0, 32, 32); break;
    case kRopeLeft: strand(32, 0, 0, 32); break;
    case kRopeBendRight: strand(0, 0, 26, 16); strand(26, 16, 0, 32); break;
    default: strand(32, 0, 6, 16); strand(6, 16, 32, 32); break;
  }
  // Twists along the strand.
  for (int y = 0; y < kCell; ++y) {
    for (int x = 0; x < kCell; ++x) {
      if (img.at(x, y) != kMagenta && img.at(x, y) != t.woodDark && (x + y) % 6 == 0) img.set(x, y, t.woodDark);
    }
  }
  return img;
}

// Four spikes pointing up, turned for the other directions.
Image spikesTile(int style, int block) {
  const StyleTheme& t = theme(style);
  Image up = blank();
  for (int i = 0; i < 4; ++i) {
    const double cx = i * 8 + 4;
    for (int y = 6; y < kCell; ++y) {
      const double half = (y - 6) * 4.0 / 26.0;
      for (int x = 0; x < 8; ++x) {
        const double px = i * 8 + x + 0.5;
        if (std::abs(px - cx) <= half + 0.3) up.set(i * 8 + x, y, px < cx ? t.metal : t.metalDark);
      }
    }
    up.set(static_cast<int>(cx) - 1, 6, rgb(255, 255, 255));
  }
  up.fillRect(0, 29, kCell, 3, t.metalDark);
  Image out = blank();
  for (int y = 0; y < kCell; ++y) {
    for (int x = 0; x < kCell; ++x) {
      const Argb c = up.at(x, y);
      switch (block) {
        case kSpikesUp: out.set(x, y, c); break;
        case kSpikesDown: out.set(x, kCell - 1 - y, c); break;
        case kSpikesLeft: out.set(y, x, c); break;
        default: out.set(kCell - 1 - y, x, c); break;
      }
    }
  }
  return out;
}

Image gripTile(int style) {
  const StyleTheme& t = theme(style);
  Image img = wallBody(style);
  static constexpr int kHolds[5][2] = {{7, 6}, {22, 9}, {12, 17}, {25, 24}, {6, 27}};
  for (const auto& h : kHolds) {
    img.fillEllipse(h[0], h[1], 3.5, 2.8, rgb(40, 20, 10));
    img.fillEllipse(h[0], h[1] - 0.5, 3, 2.2, t.toggle);
    img.set(h[0] - 1, h[1] - 2, rgb(255, 255, 255));
  }
  return img;
}

Image emitterTile(int style, int block) {
  const StyleTheme& t = theme(style);
  Image img = bevelBox(t.metalDark, t.metal, shade(t.metalDark, 0.5), rgb(10, 10, 10));
  img.fillEllipse(16, 16, 9, 9, rgb(20, 20, 24));
  img.fillEllipse(16, 16, 6, 6, t.accent);
  img.fillEllipse(16, 16, 3, 3, rgb(20, 20, 24));
  // The muzzle on the side the darts leave from.
  const int dx = block == kDartsRight ? 1 : block == kDartsLeft ? -1 : 0;
  const int dy = block == kDartsDown ? 1 : block == kDartsUp ? -1 : 0;
  img.fillRect(dx == 0 ? 11 : (dx > 0 ? 24 : 0), dy == 0 ? 11 : (dy > 0 ? 24 : 0), dx == 0 ? 10 : 8, dy == 0 ? 10 : 8,
               rgb(20, 20, 24));
  img.fillRect(dx == 0 ? 13 : (dx > 0 ? 26 : 0), dy == 0 ? 13 : (dy > 0 ? 26 : 0), dx == 0 ? 6 : 6, dy == 0 ? 6 : 6,
               t.accent);
  return img;
}

Image toggleTile(int style, bool solid) {
  const StyleTheme& t = theme(style);
  if (solid) {
    Image img = bevelBox(t.toggle, shade(t.toggle, 1.35), t.toggleDark, rgb(10, 10, 10));
    for (int i = 8; i < 24; ++i) {
      img.set(i, i, t.toggleDark);
      img.set(31 - i, i, t.toggleDark);
    }
    return img;
  }
  Image img = blank();
  for (int i = 0; i < kCell; ++i) {
    const Argb c = (i / 4) % 2 ? t.toggle : t.toggleDark;
    img.set(i, 0, c); img.set(i, 1, c); img.set(0, i, c); img.set(1, i, c);
    img.set(i, 31, c); img.set(i, 30, c); img.set(31, i, c); img.set(30, i, c);
  }
  return img;
}

// A push button on a base; stages show the countdown lights, a sealed switch a padlock.
Image switchTile(const SpriteSet& symbols, int style, int block) {
  const StyleTheme& t = theme(style);
  Image img = blank();
  img.fillRect(2, 20, 28, 12, t.metalDark);
  img.fillRect(2, 20, 28, 2, t.metal);
  const int pressed = block == kSwitch ? 0 : 6;
  const Argb cap = block == kSealed ? rgb(120, 120, 128) : rgb(230, 40, 30);
  img.fillEllipse(16, 19 + pressed * 0.5, 10, 8 - pressed * 0.5, rgb(30, 10, 10));
  img.fillEllipse(16, 19 + pressed * 0.5, 9, 7 - pressed * 0.5, cap);
  img.fillEllipse(13, 16 + pressed * 0.5, 3, 2, shade(cap, 1.5));
  if (block == kSwitchStage1 || block == kSwitchStage2) {
    const int lit = block == kSwitchStage2 ? 2 : 1;
    for (int i = 0; i < 2; ++i) img.fillRect(8 + i * 12, 26, 4, 3, i < lit ? t.accent : rgb(40, 40, 40));
  }
  if (block == kSealed) img.draw(symbols.get("lock"), 10, 12);
  return img;
}

Image balloonStand(int style) {
  const StyleTheme& t = theme(style);
  Image img = blank();
  img.fillRect(8, 22, 16, 10, t.woodDark);
  img.fillRect(9, 23, 14, 8, t.wood);
  img.fillRect(9, 26, 14, 2, t.accent);
  img.line(16, 0, 16, 22, 1.2, rgb(240, 240, 240));
  return img;
}

Image pipeTile(int style, int block) {
  const Argb body = style == 0 ? rgb(70, 160, 150) : style == 1 ? rgb(20, 180, 170) : rgb(90, 210, 230);
  const Argb light = shade(body, 1.45), dark = shade(body, 0.55), edge = rgb(10, 30, 30);
  const bool left = block == kPipeTopLeft || block == kPipeLeft, top = block == kPipeTopLeft || block == kPipeTopRight;
  Image img = blank();
  // The pipe is 64 pixels across: this tile holds its left or right half.
  for (int y = 0; y < kCell; ++y) {
    for (int x = 0; x < kCell; ++x) {
      const int px = left ? x : x + kCell;
      const bool lip = top && y < 12;
      const int from = lip ? 0 : 4, to = lip ? 64 : 60;
      if (px < from || px >= to) continue;
      Argb c = body;
      const int in = px - from, span = to - from;
      if (in < 2 || in >= span - 2 || (lip && (y < 2 || y >= 10))) c = edge;
      else if (in < 10) c = light;
      else if (in > span - 14) c = dark;
      img.set(x, y, c);
    }
  }
  return img;
}

Image exitDoor() {
  Image img = blank();
  img.fillEllipse(16, 16, 15, 15, rgb(20, 10, 40));
  for (int r = 13; r > 0; r -= 3) img.fillEllipse(16, 16, r, r, mix(rgb(90, 40, 200), rgb(240, 220, 255), 1.0 - r / 13.0));
  return img;
}

Image waterIcon() {
  Image img(kCell, kCell, rgb(30, 90, 200));
  for (int x = 0; x < kCell; ++x) {
    const int y = 6 + static_cast<int>(std::lround(2 * std::sin(x * std::numbers::pi / 8)));
    img.fillRect(x, y, 1, 2, rgb(170, 220, 255));
    img.set(x, y + 12, rgb(80, 150, 230));
  }
  return img;
}

// A tile faded towards the style's background: there, but nothing to stand on.
Image faded(const Image& tile, int style) {
  Image out = tile;
  for (int y = 0; y < kCell; ++y) {
    for (int x = 0; x < kCell; ++x) {
      const Argb c = tile.at(x, y);
      if (c == kMagenta) continue;
      if ((x + y) % 2 == 1) out.set(x, y, kMagenta);
      else out.set(x, y, mix(c, theme(style).background, 0.45));
    }
  }
  return out;
}

// Blocks that are neither floor nor wall (nor ladder, hazard or item) in a style.
bool fadedIn(int block, int style) {
  switch (style) {
    case 0: return block == kQuestion || block == kUsedQuestion;
    case 1: return block == kGrip || block == kDartsRight || block == kDartsLeft || block == kDartsDown || block == kDartsUp;
    default:
      return block == kPushable || block == kGrip || block == kOutward || block == kDartsDown || block == kDartsUp ||
             block == kPipeTopLeft || block == kPipeTopRight || block == kPipeLeft || block == kPipeRight ||
             block == kQuestion || block == kUsedQuestion || block == kLadder;
  }
}

}  // namespace

Image BlockArt::solidTile(int block, int style) const {
  switch (block) {
    case kFloor: return railTile(style);
    case kWall: return wallBody(style);
    case kWallTopped: return toppedWall(style);
    case kLadder: return ladderTile(style);
    case kQuestion: return questionTile(symbols_, false);
    case kUsedQuestion: return questionTile(symbols_, true);
    case kPushable: return crateFrame(style);
    case kRope: case kRopeLeft: case kRopeBendRight: case kRopeBendLeft: return ropeTile(style, block);
    case kSpikesUp: case kSpikesDown: case kSpikesLeft: case kSpikesRight: return spikesTile(style, block);
    case kGrip: return gripTile(style);
    case kDartsRight: case kDartsLeft: case kDartsDown: case kDartsUp: return emitterTile(style, block);
    case kOutward: return toggleTile(style, true);
    case kInward: return toggleTile(style, false);
    case kSwitch: case kSwitchStage1: case kSwitchStage2: case kSealed: return switchTile(symbols_, style, block);
    case kBalloon: return balloonFrame(style, 0).crop(0, 0, kCell, kCell);
    case kBalloonBlock: return balloonStand(style);
    case kPipeTopLeft: case kPipeTopRight: case kPipeLeft: case kPipeRight: return pipeTile(style, block);
    case kSphere: return sphereFrame(style, 0);
    case kRings: return ringFrame(style, 0);
    case kStart: { Image img = blank(); img.draw(symbols_.get("start"), 9, 8); return img; }
    case kWater: return waterIcon();
    case kExit: return exitDoor();
    case kHint: { Image img = blank(); img.draw(symbols_.get("hint"), 9, 7); return img; }
    case kJumperSuit: { Image img = blank(); img.draw(symbols_.get("suit_jumper"), 6, 8); return img; }
    case kRunnerSuit: { Image img = blank(); img.draw(symbols_.get("suit_runner"), 5, 12); return img; }
    default: return blank();
  }
}

Image BlockArt::tile(int block, int style) const {
  const Image img = solidTile(block, style);
  return fadedIn(block, style) ? faded(img, style) : img;
}

Image BlockArt::preview(int block) const {
  const bool jumperWorld = block == kQuestion || block == kUsedQuestion || block == kPipeTopLeft ||
                           block == kPipeTopRight || block == kPipeLeft || block == kPipeRight;
  const int style = jumperWorld ? 1 : block == kRings ? 2 : 0;
  Image img(kCell, kCell, theme(style).background);
  img.draw(solidTile(block, style), 0, 0);
  return img;
}

}  // namespace tobrix::gamedata
