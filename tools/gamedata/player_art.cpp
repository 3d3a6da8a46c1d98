#include "player_art.h"

#include <cmath>
#include <numbers>
#include <string>

#include "sheet_layout.h"
#include "style_theme.h"

namespace tobrix::gamedata {
namespace {

// Proportions and colours of a figure.
struct Figure {
  const char* head;
  double hipY, torso, torsoWidth, thigh, shin, upperArm, foreArm, limb;
  Argb shirt, trousers, shoes, hands;
  bool overalls;  // straps and bib over the shirt
};

constexpr Figure kFigures[kStyles] = {
    {"zorbel", 21, 7, 8, 5, 5, 5, 4, 3.6, rgb(200, 60, 40), rgb(110, 70, 40), rgb(60, 36, 20), rgb(240, 176, 112), false},
    {"jumper", 22.5, 7, 11, 4.5, 4, 5, 4, 4.4, rgb(60, 170, 90), rgb(70, 100, 200), rgb(90, 50, 20), rgb(250, 250, 250), true},
    {"runner", 19, 7, 7, 6, 6, 5.5, 5, 3.2, rgb(250, 250, 250), rgb(230, 40, 70), rgb(250, 200, 30), rgb(240, 176, 112), false},
};

// A pose: angles in degrees, 0 pointing down, positive towards the facing side. Legs give the
// thigh and shin of the back and front leg, arms the upper and fore arm; the whole figure may
// then turn (spin), be squashed (crushed) or lie in the water.
struct Pose {
  double lean, backThigh, backShin, frontThigh, frontShin, backUpper, backFore, frontUpper, frontFore;
  double spin = 0, dx = 0, dy = 0;
  bool hurt = false;
  double reach = 1;  // arm length, stretched when hanging
};

// Arms raised above the shoulders start from the shoulder's outer edge on their side; raised
// forwards they are drawn over the head, backwards behind it.
bool raised(double upper) { return std::abs(upper) > 110; }

constexpr double kPi = std::numbers::pi;
double rad(double deg) { return deg * kPi / 180; }

struct Point {
  double x, y;
};
Point along(Point p, double deg, double length) { return {p.x + std::sin(rad(deg)) * length, p.y + std::cos(rad(deg)) * length}; }

Image drawFigure(const Figure& f, const Pose& p, const SpriteSet& heads) {
  Image img(kCell, kCell);
  const Point hip{15 + p.dx, f.hipY + p.dy};
  const Point neck = along(hip, 180 + p.lean, f.torso);
  const Point shoulder = along(hip, 180 + p.lean, f.torso - 1.5);
  auto leg = [&](double thigh, double shin, Argb colour) {
    const Point knee = along(hip, thigh, f.thigh), foot = along(knee, shin, f.shin);
    img.line(hip.x, hip.y, knee.x, knee.y, f.limb, colour);
    img.line(knee.x, knee.y, foot.x, foot.y, f.limb, colour);
    // The shoe points the way the figure faces, turned with the shin.
    const Point toe = along(foot, shin - 90 + 180, -3.2);
    img.line(foot.x, foot.y, toe.x, toe.y, f.limb + 0.6, f.shoes);
  };
  auto arm = [&](double upper, double fore, Argb colour) {
    const Point from{shoulder.x + (raised(upper) ? (upper < 0 ? -1 : 1) * (f.torsoWidth / 2 - 1) : 0), shoulder.y};
    const Point elbow = along(from, upper, f.upperArm * p.reach), hand = along(elbow, fore, f.foreArm * p.reach);
    img.line(from.x, from.y, elbow.x, elbow.y, f.limb - 0.6, colour);
    img.line(elbow.x, elbow.y, hand.x, hand.y, f.limb - 0.6, colour);
    img.fillEllipse(hand.x, hand.y, f.limb / 2 + 0.4, f.limb / 2 + 0.4, f.hands);
  };
  const bool backOver = raised(p.backUpper) && p.backUpper > 0, frontOver = raised(p.frontUpper) && p.frontUpper > 0;
  if (!backOver) arm(p.backUpper, p.backFore, shade(f.shirt, 0.7));
  leg(p.backThigh, p.backShin, shade(f.trousers, 0.7));
  // The body: a rounded block from hip to neck.
  const int steps = 12;
  for (int i = 0; i <= steps; ++i) {
    const Point c = along(hip, 180 + p.lean, f.torso * i / steps);
    const double w = f.torsoWidth / 2 * (i < 3 ? 0.85 + 0.05 * i : 1.0);
    img.fillEllipse(c.x, c.y, w, 2.2, i < 3 ? f.trousers : f.shirt);
    if (f.overalls && i < steps - 2) img.fillEllipse(c.x, c.y, w - 1.5, 2.0, f.trousers);
  }
  if (f.overalls) {
    const Point bib = along(hip, 180 + p.lean, f.torso * 0.55);
    img.fillRect(static_cast<int>(bib.x) - 1, static_cast<int>(bib.y) - 1, 3, 2, rgb(255, 220, 60));
  }
  leg(p.frontThigh, p.frontShin, f.trousers);
  if (!frontOver) arm(p.frontUpper, p.frontFore, f.shirt);
  const Image& head = heads.get(std::string(f.head) + (p.hurt ? "_hurt" : ""));
  const Point top = along(neck, 180 + p.lean, 1);
  img.draw(head, static_cast<int>(std::lround(top.x - head.width() / 2.0 + 1)),
           static_cast<int>(std::lround(top.y - head.height() + 2)));
  if (backOver) arm(p.backUpper, p.backFore, shade(f.shirt, 0.8));
  if (frontOver) arm(p.frontUpper, p.frontFore, f.shirt);
  img.outline(rgb(24, 12, 8));
  if (p.spin != 0) {
    // Turn the whole picture about the cell's centre (nearest pixel).
    Image turned(kCell, kCell);
    const double c = std::cos(rad(p.spin)), s = std::sin(rad(p.spin));
    for (int y = 0; y < kCell; ++y) {
      for (int x = 0; x < kCell; ++x) {
        const double rx = x + 0.5 - 16, ry = y + 0.5 - 17;
        const int sx = static_cast<int>(std::floor(c * rx + s * ry + 16)), sy = static_cast<int>(std::floor(-s * rx + c * ry + 17));
        if (img.inside(sx, sy)) turned.set(x, y, img.at(sx, sy));
      }
    }
    return turned;
  }
  return img;
}

// Squashed flat onto the floor, as under a falling block.
Image crushed(const Image& standing) {
  Image out(kCell, kCell);
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < kCell; ++x) {
      const int sx = 16 + (x - 16) * 2 / 3, sy = y * kCell / 10;
      out.set(x, 22 + y, standing.at(sx, sy));
    }
  }
  return out;
}

// Walking: the legs swing through a cycle of four steps, the arms against them.
Pose walkPose(int step, double stride, double lean) {
  const double phase = step * kPi / 2;
  const double swing = stride * std::sin(phase);
  const double bendB = std::max(0.0, std::cos(phase)) * 30, bendF = std::max(0.0, -std::cos(phase)) * 30;
  return Pose{lean, -swing, -swing - bendB, swing, swing - bendF, swing * 0.9, swing * 0.9 + 30, -swing * 0.9,
              -swing * 0.9 + 30};
}

std::vector<Pose> posesFor(int style) {
  std::vector<Pose> poses(48, Pose{0, -6, -6, 6, 6, -12, -6, 14, 30});
  const double lean = style == 2 ? 12 : 0;
  const double stride = style == 2 ? 45 : 32;
  for (int i = 0; i < 4; ++i) poses[1 + static_cast<std::size_t>(i)] = walkPose(i, stride, lean);
  // Falling and climbing: arms reach up in turn, legs kick in turn.
  for (int i = 0; i < 4; ++i) {
    const double a = i % 2 ? 1 : -1;
    poses[5 + static_cast<std::size_t>(i)] = Pose{0, -15 + 10 * a, -5 + 20 * a, 15 - 10 * a, 5 - 20 * a,
                                                  -140 + 15 * a, -170, 140 + 15 * a, 170, 0, 0, 1, false, 1.3};
  }
  // Jumping: crouch and spring, a tucked somersault, then reaching for the ground.
  const Pose tuck{10, 70, -40, 90, -30, 60, 150, 80, 160, 0, 0, -3};
  poses[9] = Pose{5, -20, 10, 60, -10, 150, 170, 120, 170, 0, 0, -2};
  poses[10] = Pose{5, 20, -20, 70, -20, 170, 180, 150, 175, 0, 0, -3};
  for (int i = 0; i < 8; ++i) {
    Pose p = tuck;
    p.spin = 45.0 * (i + 1);
    poses[11 + static_cast<std::size_t>(i)] = p;
  }
  poses[19] = Pose{0, -20, -10, 30, 10, 120, 140, 100, 130, 0, 0, -1};
  poses[20] = Pose{5, -10, 10, 20, -10, 60, 100, 70, 110};
  if (style == 1) poses[9] = Pose{0, 10, -40, 50, 0, 170, 185, 40, 80, 0, 0, -2};
  if (style == 2) {
    for (int i = 0; i < 4; ++i) {
      Pose p = tuck;
      p.spin = 90.0 * i;
      poses[9 + static_cast<std::size_t>(i)] = p;
    }
  }
  // Sliding down a rope: hanging from one hand, the body swinging; both hands up at the
  // exit (frame 24 serves both).
  for (int i = 0; i < 3; ++i) {
    const double sw = (i - 1) * 10;
    poses[21 + static_cast<std::size_t>(i)] = Pose{-10 + sw, -10 + sw, -5 + sw, 20 + sw, 10 + sw, -20, 10, -140, -172, 0, 0, 3, false, 1.5};
  }
  poses[24] = Pose{0, -8, -8, 8, 8, -135, -160, 135, 160, 0, 0, 1, false, 1.3};
  // Hanging from a rail by both hands, then moving hand over hand.
  poses[25] = Pose{0, -5, -5, 5, 5, -140, -172, 140, 172, 0, 0, 4, false, 1.5};
  for (int i = 0; i < 4; ++i) {
    const double a = i % 2 ? 1 : -1;
    poses[26 + static_cast<std::size_t>(i)] = Pose{0, -10 * a, 5 * a, 10 * a, 20 * a, -140 + 12 * a, -172,
                                                   140 + 12 * a, 172, 0, 0, 4, false, 1.5};
  }
  // Pulling: leaning away with both hands back on the block; pushing: leaning in, arms out.
  for (int i = 0; i < 4; ++i) {
    Pose pull = walkPose(i, 20, -15);
    pull.backUpper = pull.frontUpper = -75;
    pull.backFore = pull.frontFore = -85;
    poses[30 + static_cast<std::size_t>(i)] = pull;
    Pose push = walkPose(i, 26, 22);
    push.backUpper = push.frontUpper = 95;
    push.backFore = push.frontFore = 100;
    push.dx = -2;
    poses[34 + static_cast<std::size_t>(i)] = push;
  }
  poses[38] = Pose{0, -6, -6, 6, 6, 20, 60, -20, 40};
  poses[40] = Pose{-10, -25, -15, 25, 15, -130, -150, 130, 150, 0, 0, -1, true};
  // Swimming: lying forward in the water, arms stroking, legs kicking.
  for (int i = 0; i < 4; ++i) {
    const double a = std::sin(i * kPi / 2);
    Pose swim{0, -10 + 15 * a, -10 + 25 * a, 10 - 15 * a, 10 - 25 * a, 140 + 40 * a, 150 + 40 * a, 220 - 40 * a,
              210 - 40 * a, 70, 0, 0};
    poses[41 + static_cast<std::size_t>(i)] = swim;
  }
  poses[45] = Pose{0, -15, -5, 20, 10, -10, 0, 145, 172, 0, 0, 3, false, 1.5};
  // Gripping a wall: in front (hands and a foot on the wall at the right), and with the back
  // against a wall at the left.
  poses[46] = Pose{10, 20, 60, 60, 20, 110, 150, 80, 120, 0, 6, -3};
  poses[47] = Pose{-5, -30, 10, 30, 0, -100, -150, 60, 120, 0, -6, -3};
  return poses;
}

}  // namespace

Image playerSheet(const SpriteSet& heads) {
  Image sheet = emptySheet(kCell, kCell, kSheetFrames);
  for (int s = 0; s < kStyles; ++s) {
    const std::vector<Pose> poses = posesFor(s);
    for (std::size_t i = 0; i < poses.size(); ++i) {
      if (i == 39) continue;
      placeFrame(sheet, s * kFramesPerStyle + static_cast<int>(i), drawFigure(kFigures[s], poses[i], heads));
    }
    Pose flat = poses[0];
    flat.hurt = true;
    placeFrame(sheet, s * kFramesPerStyle + 39, crushed(drawFigure(kFigures[s], flat, heads)));
  }
  return sheet;
}

}  // namespace tobrix::gamedata
