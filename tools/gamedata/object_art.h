// The moving things of a level (crates, rings, darts, balloons, spheres) in each style, and
// the object sheet that holds them.
#pragma once

#include "image.h"

namespace tobrix::gamedata {

Image crateFrame(int style);
Image ringFrame(int style, int step);     // step 0..3: the ring turning
Image dartFrame(int style, int dx, int dy);
Image balloonFrame(int style, int step);  // step 0..2: the balloon swaying
Image sphereFrame(int style, int step);   // step 0..7: the sphere spinning

// obj.png: 450 frames of 32 x 32, 25 across, 75 per style.
Image objectSheet();

}  // namespace tobrix::gamedata
