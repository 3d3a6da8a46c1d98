// The look of each movement style: background, wall and trim colours that every sheet
// draws with, so the three worlds read apart at a glance.
#pragma once

#include <cstdint>

#include "image.h"

namespace tobrix::gamedata {

inline constexpr int kStyles = 3;
inline constexpr int kFramesPerStyle = 75;

struct StyleTheme {
  Argb background;
  Argb wallLight, wallMid, wallDark, mortar;  // the wall's body
  Argb topLight, topDark;                     // the cap of a topped wall
  Argb wood, woodDark;                        // rails, ladders, crates
  Argb metal, metalDark;                      // spikes, emitters, studs
  Argb accent;                                // trims, switch parts, lights
  Argb toggle, toggleDark;                    // outward and inward blocks
};

const StyleTheme& theme(int style);

// A fixed pseudo-random number for a pixel or brick (the same every run).
std::uint32_t noise(int x, int y, int seed);

}  // namespace tobrix::gamedata
