// The surface layer's stretching copy: a whole surface drawn over a rectangle of another of
// the same pixel format, each destination pixel taking the nearest source pixel.
#pragma once

#include "media/canvas/rect.h"
#include "media/canvas/surface.h"

namespace korvo::platform {

// Copies all of src over the rectangle to of dst, scaled to its size; to may reach outside
// dst, and only the part inside dst is written. Both surfaces have one format.
void stretchCopy(Surface& dst, const Rect& to, const Surface& src);

}  // namespace korvo::platform
