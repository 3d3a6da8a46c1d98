// What the three movement styles share: one state step each, at the style's speed.
#pragma once

#include "tobrix.hpp"

struct StyleSpeeds {
  int32_t walk, fall, climb, turn, sink, swim;
};

// Runs the player's state for one frame when the state is one every style has (walk,
// fall, climb, turn, sink, swim, swim-jump); 0 when the style must handle it itself.
int32_t commonstate(const StyleSpeeds& speeds);

// At a jump's check ticks: the cell ahead, above-ahead and so on, by the facing.
int32_t ahead(int32_t row);
