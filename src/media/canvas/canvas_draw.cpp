// The 2D primitives of a canvas: Cls, Plot, Rect, Oval and Line, each with its exact clipping
// and rasterising rules. Fills go to the surface layer; only lines write single pixels.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "media/canvas/canvas.h"
#include "media/canvas/raw_pixels.h"

namespace korvo::platform {
namespace {

// floor(v) as an int; NaN (a row just outside an ellipse) gives a far-left edge, and huge
// values saturate well inside the int range so that neighbours of the result cannot overflow.
std::int32_t floorToInt(float v) {
  constexpr float kLimit = 1073741824.0f;
  if (!(v > -kLimit)) return -(1 << 30);
  if (v >= kLimit) return 1 << 30;
  return static_cast<std::int32_t>(std::floor(v));
}

// Outcode bits of a point against the inclusive clip box.
enum : int { kBelow = 1, kAbove = 2, kRight = 4, kLeft = 8 };

struct ClipBox {
  std::int64_t xmin, ymin, xmax, ymax;
  int code(std::int64_t x, std::int64_t y) const {
    return (y > ymax ? kBelow : 0) | (y < ymin ? kAbove : 0) | (x > xmax ? kRight : 0) | (x < xmin ? kLeft : 0);
  }
};

// Moves (x, y) onto the first edge named by its code, along the line from (x1, y1) with
// direction (dx, dy). False when the move is undefined (no direction on that axis).
bool moveToEdge(int code, std::int64_t& x, std::int64_t& y, std::int64_t x1, std::int64_t y1, std::int64_t dx,
                std::int64_t dy, const ClipBox& box) {
  using Wide = __int128;
  if (code & (kBelow | kAbove)) {
    if (dy == 0) return false;
    const std::int64_t edge = (code & kBelow) ? box.ymax : box.ymin;
    x = static_cast<std::int64_t>(x1 + Wide(edge - y1) * dx / dy);
    y = edge;
  } else {
    if (dx == 0) return false;
    const std::int64_t edge = (code & kRight) ? box.xmax : box.xmin;
    y = static_cast<std::int64_t>(y1 + Wide(edge - x1) * dy / dx);
    x = edge;
  }
  return true;
}

// Bresenham between two points inside the surface; returns the number of pixels stored.
template <int kBytes>
std::uint32_t drawLine(Surface& s, std::int32_t x, std::int32_t y, std::int32_t x2, std::int32_t y2,
                       std::uint32_t raw) {
  const std::int32_t dx = x2 - x;
  const std::int32_t dy = y2 - y;
  const std::int32_t sx = dx < 0 ? -1 : 1;
  const std::int32_t sy = dy < 0 ? -1 : 1;
  const std::int32_t ax = dx < 0 ? -dx : dx;
  const std::int32_t ay = dy < 0 ? -dy : dy;
  if (ay < ax) {
    std::int32_t e = -ax;
    for (std::int32_t n = 0; n <= ax; ++n) {
      storePixel<kBytes>(s.at(x, y), raw);
      e += 2 * ay;
      if (e >= 0) y += sy;
      x += sx;
      if (e >= 0) e -= 2 * ax;
    }
    return static_cast<std::uint32_t>(ax) + 1;
  }
  std::int32_t e = -ay;
  for (std::int32_t n = 0; n <= ay; ++n) {
    storePixel<kBytes>(s.at(x, y), raw);
    e += 2 * ax;
    y += sy;
    if (e >= 0) {
      x += sx;
      e -= 2 * ay;
    }
  }
  return static_cast<std::uint32_t>(ay) + 1;
}

}  // namespace

bool Canvas::fillClipped(Rect r, std::uint32_t raw) {
  r = r.intersect(viewport_);
  if (r.empty()) return false;
  surface_->fill(r, raw);
  return true;
}

void Canvas::cls() {
  fillClipped(viewport_, clsColour_);
  damage(viewport_);
}

void Canvas::plot(std::int32_t x, std::int32_t y) {
  const std::int64_t px = std::int64_t{x} + originX_;
  const std::int64_t py = std::int64_t{y} + originY_;
  const Rect r = clampedRect(px, py, px + 1, py + 1);
  if (fillClipped(r, colour_)) damage(r);
}

void Canvas::rect(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, bool solid) {
  const std::int64_t px = std::int64_t{x} + originX_;
  const std::int64_t py = std::int64_t{y} + originY_;
  const Rect r = clampedRect(px, py, px + w, py + h);
  const Rect clipped = r.intersect(viewport_);
  if (clipped.empty()) return;
  if (solid) {
    surface_->fill(clipped, colour_);
  } else {
    fillClipped({r.x0, r.y0, r.x1, r.y0 + 1}, colour_);
    fillClipped({r.x0, r.y0, r.x0 + 1, r.y1}, colour_);
    fillClipped({r.x1 - 1, r.y0, r.x1, r.y1}, colour_);
    fillClipped({r.x0, r.y1 - 1, r.x1, r.y1}, colour_);
  }
  damage(clipped);
}

void Canvas::oval(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, bool solid) {
  const std::int64_t bx = std::int64_t{x} + originX_;
  const std::int64_t by = std::int64_t{y} + originY_;
  const Rect box = clampedRect(bx, by, bx + w, by + h);
  const Rect c = box.intersect(viewport_);
  if (c.empty()) return;

  // Single precision throughout, as the shapes are defined by it.
  const float halfH = static_cast<float>(h) * 0.5f;
  const float ratio = static_cast<float>(w) / static_cast<float>(h);
  const float cy = (static_cast<float>(box.y0) + halfH) - 0.5f;
  const float cx = static_cast<float>(w) * 0.5f + static_cast<float>(box.x0) + 0.5f;
  const auto span = [&](float t, std::int32_t& left, std::int32_t& right) {
    const float v = std::sqrt(halfH * halfH - t * t) * ratio;
    left = floorToInt(cx - v);
    right = floorToInt(cx + v);
  };

  if (solid) {
    for (std::int32_t i = c.y0; i < c.y1; ++i) {
      std::int32_t left;
      std::int32_t right;
      span(static_cast<float>(i) - cy, left, right);
      if (left < right && left < viewport_.x1 && viewport_.x0 < right) {
        surface_->fill({std::max(left, viewport_.x0), i, std::min(right, viewport_.x1), i + 1}, colour_);
      }
    }
    damage(c);
    return;
  }

  const std::int32_t centre = floorToInt(cy);
  const std::int32_t startEdge = static_cast<std::int32_t>(std::clamp(cx, -1e9f, 1e9f));
  // One row of the outline: the bands from the previous row's edges out to this row's.
  const auto band = [&](std::int32_t row, float t, std::int32_t& prevLeft, std::int32_t& prevRight) {
    std::int32_t left;
    std::int32_t right;
    span(t, left, right);
    fillClipped({left, row, std::max(prevLeft, left + 1), row + 1}, colour_);
    fillClipped({std::min(prevRight, right - 1), row, right, row + 1}, colour_);
    prevLeft = left;
    prevRight = right;
  };

  std::int32_t i = c.y0;
  float t = static_cast<float>(i) - cy;
  if (box.y0 < c.y0) {
    --i;
    t -= 1.0f;
  }
  std::int32_t prevLeft = startEdge;
  std::int32_t prevRight = startEdge;
  // Rows past the clipped box draw nothing, however far the centre row lies beyond them.
  const std::int32_t upperEnd = std::min(centre, c.y1 - 1);
  for (; i <= upperEnd; ++i, t += 1.0f) band(i, t, prevLeft, prevRight);

  std::int32_t j = c.y1 - 1;
  t = static_cast<float>(j) - cy;
  if (c.y1 < box.y1) {
    j = c.y1;
    t += 1.0f;
  }
  prevLeft = startEdge;
  prevRight = startEdge;
  const std::int32_t lowerEnd = std::max(centre, c.y0 - 1);
  for (; j > lowerEnd; --j, t -= 1.0f) band(j, t, prevLeft, prevRight);
  damage(c);
}

void Canvas::line(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
  if (viewport_.empty()) return;
  std::int64_t ax = std::int64_t{x1} + originX_;
  std::int64_t ay = std::int64_t{y1} + originY_;
  std::int64_t bx = std::int64_t{x2} + originX_;
  std::int64_t by = std::int64_t{y2} + originY_;
  const ClipBox box{viewport_.x0, viewport_.y0, std::int64_t{viewport_.x1} - 1, std::int64_t{viewport_.y1} - 1};
  // Each round puts one coordinate on an edge; a handful of rounds always settles a line.
  constexpr int kMaxRounds = 16;
  int rounds = 0;
  for (;; ++rounds) {
    const int ca = box.code(ax, ay);
    const int cb = box.code(bx, by);
    if ((ca | cb) == 0) break;
    if ((ca & cb) != 0 || rounds == kMaxRounds) return;
    const std::int64_t dx = bx - ax;
    const std::int64_t dy = by - ay;
    const std::int64_t sx = ax;
    const std::int64_t sy = ay;
    const bool moved = ca ? moveToEdge(ca, ax, ay, sx, sy, dx, dy, box) : moveToEdge(cb, bx, by, sx, sy, dx, dy, box);
    if (!moved) return;
  }

  const auto px = static_cast<std::int32_t>(ax);
  const auto py = static_cast<std::int32_t>(ay);
  const auto qx = static_cast<std::int32_t>(bx);
  const auto qy = static_cast<std::int32_t>(by);
  lock();
  std::uint32_t stored;
  switch (format().bytesPerPixel()) {
    case 2: stored = drawLine<2>(*surface_, px, py, qx, qy, colour_); break;
    case 3: stored = drawLine<3>(*surface_, px, py, qx, qy, colour_); break;
    default: stored = drawLine<4>(*surface_, px, py, qx, qy, colour_); break;
  }
  advance(stored);
  unlock();
}

}  // namespace korvo::platform
