// The affine transform of image frames: each frame is resampled into a new canvas through
// the inverse matrix, nearest or bilinear, with its handle point kept where it was.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "media/canvas/canvas.h"

namespace korvo::platform {

// The matrix maps (x, y) to (a·x + c·y, b·x + d·y).
struct Transform {
  float a, b, c, d;
};

// Where a frame of w × h with handle (hx, hy) lands: the new size and handle.
struct TransformedBox {
  std::int32_t width = 0, height = 0, handleX = 0, handleY = 0;
};

// The box of the transformed frame; none when the matrix is singular or not finite, or the
// result would have no pixels or no representable size.
std::optional<TransformedBox> transformedBox(const Transform& m, std::int32_t w, std::int32_t h, std::int32_t hx,
                                             std::int32_t hy);

// Fills target (of box's size) with source transformed by m, sampling bilinearly when
// filter is on; sets target's handle and mask colour.
void transformInto(Canvas& source, const Transform& m, const TransformedBox& box, bool filter, Canvas& target);

}  // namespace korvo::platform
