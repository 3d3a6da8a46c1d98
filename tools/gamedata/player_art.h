// The player sheet: each movement style's figure drawn in every pose the play loop shows,
// from a jointed body and the head sprite of its style.
#pragma once

#include "image.h"
#include "sprite_text.h"

namespace tobrix::gamedata {

// plat.png: 450 frames of 32 x 32, 25 across, 75 per style, facing right.
Image playerSheet(const SpriteSet& heads);

}  // namespace tobrix::gamedata
