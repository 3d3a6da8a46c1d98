// The smaller sheets: water, the exit swirl, the editor's tiny map blocks, pointers and
// buttons; and the block sheet with its palette previews.
#pragma once

#include "block_tiles.h"
#include "image.h"
#include "sprite_text.h"

namespace tobrix::gamedata {

inline constexpr int kWaterLoop = 256;
inline constexpr int kSwirlFrames = 32;

Image waterFrame(int step);  // step 0..255 loops
Image swirlFrame(int step);  // step 0..31 loops

Image blockSheet(const BlockArt& art);      // gfx.png: 450 frames
Image waterSheet();                         // water.png: 450 frames, no mask
Image swirlSheet();                         // swirl.png: 32 frames
Image tinyMapSheet(const BlockArt& art);    // tinymap.png: 100 frames of 16 x 16
Image mouseSheet(const SpriteSet& ui);      // mouse.png: 8 frames
Image buttonSheet();                        // buts.png: 2 frames of 64 x 32

}  // namespace tobrix::gamedata
