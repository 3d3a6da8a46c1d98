// Overlap and pixel-exact collision tests between placed frames and rectangles. A frame at
// (x, y) covers [x − handleX, x − handleX + width) × [y − handleY, y − handleY + height);
// pixel tests compare the frames' collision masks 32 pixels at a time.
#pragma once

#include <cstdint>

#include "media/canvas/canvas.h"

namespace korvo::platform {

// The boxes of two placed frames intersect.
bool framesOverlap(const Canvas& a, std::int32_t x1, std::int32_t y1, const Canvas& b, std::int32_t x2,
                   std::int32_t y2);
// The box of a placed frame intersects the rectangle.
bool frameRectOverlap(const Canvas& f, std::int32_t x, std::int32_t y, std::int32_t rx, std::int32_t ry,
                      std::int32_t rw, std::int32_t rh);
// Some pixel not of its frame's mask colour in each frame lies on the same spot.
bool framesCollide(Canvas& a, std::int32_t x1, std::int32_t y1, Canvas& b, std::int32_t x2, std::int32_t y2);
// Some pixel of the frame not of its mask colour lies inside the rectangle.
bool frameRectCollide(Canvas& f, std::int32_t x, std::int32_t y, std::int32_t rx, std::int32_t ry, std::int32_t rw,
                      std::int32_t rh);

}  // namespace korvo::platform
