// The 32 x 32 tiles of the map's blocks in each movement style, as the block sheet and the
// editor's palette show them.
#pragma once

#include "image.h"
#include "sheet_layout.h"
#include "sprite_text.h"

namespace tobrix::gamedata {

// Block numbers the sheets address.
enum Block : int {
  kFloor = 1, kWall = 2, kLadder = 3, kQuestion = 4, kPushable = 5, kRope = 6, kRopeLeft = 7, kRopeBendRight = 8,
  kRopeBendLeft = 9, kSpikesUp = 10, kSpikesDown = 11, kSpikesLeft = 12, kSpikesRight = 13, kGrip = 14,
  kDartsRight = 15, kDartsLeft = 16, kOutward = 17, kInward = 18, kSwitch = 19, kSwitchStage1 = 20,
  kSwitchStage2 = 21, kSealed = 22, kBalloon = 23, kBalloonBlock = 24, kPipeTopLeft = 26, kPipeTopRight = 27,
  kSphere = 28, kUsedQuestion = 29, kDartsDown = 30, kDartsUp = 31, kPipeLeft = 51, kPipeRight = 52,
  kWallTopped = 53, kStart = 54, kRings = 55, kWater = 56, kExit = 57, kHint = 58, kJumperSuit = 59,
  kRunnerSuit = 60,
};

class BlockArt {
 public:
  explicit BlockArt(const SpriteSet& symbols) : symbols_(symbols) {}
  // The tile of block b in style s, magenta where transparent; blank for blocks that are
  // never drawn. Blocks that are neither floor nor wall in a style show faded there.
  Image tile(int block, int style) const;
  // The tile as the editor's palette previews it: in the style the block belongs to.
  Image preview(int block) const;

 private:
  Image solidTile(int block, int style) const;
  const SpriteSet& symbols_;
};

}  // namespace tobrix::gamedata
