// Integer rectangles with exclusive right and bottom edges, as every canvas operation and the
// surface layer use them.
#pragma once

#include <algorithm>
#include <climits>
#include <cstdint>

namespace korvo::platform {

// (x0, y0) inclusive, (x1, y1) exclusive; empty when x1 <= x0 or y1 <= y0.
struct Rect {
  std::int32_t x0 = 0;
  std::int32_t y0 = 0;
  std::int32_t x1 = 0;
  std::int32_t y1 = 0;

  // A rectangle from position and size.
  static Rect fromSize(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h) { return {x, y, x + w, y + h}; }

  std::int32_t width() const { return x1 - x0; }
  std::int32_t height() const { return y1 - y0; }
  bool empty() const { return x1 <= x0 || y1 <= y0; }
  bool contains(std::int32_t x, std::int32_t y) const { return x >= x0 && x < x1 && y >= y0 && y < y1; }
  // The common part (possibly empty).
  Rect intersect(const Rect& o) const {
    return {std::max(x0, o.x0), std::max(y0, o.y0), std::min(x1, o.x1), std::min(y1, o.y1)};
  }
  bool operator==(const Rect&) const = default;
};

// A rectangle from 64-bit edges, each clamped to the 32-bit range (so sums of program
// coordinates cannot overflow; clamped edges lie far outside any surface).
inline Rect clampedRect(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1) {
  constexpr std::int64_t kLow = INT32_MIN;
  constexpr std::int64_t kHigh = INT32_MAX;
  return {
      static_cast<std::int32_t>(std::clamp(x0, kLow, kHigh)), static_cast<std::int32_t>(std::clamp(y0, kLow, kHigh)),
      static_cast<std::int32_t>(std::clamp(x1, kLow, kHigh)), static_cast<std::int32_t>(std::clamp(y1, kLow, kHigh))};
}

}  // namespace korvo::platform
