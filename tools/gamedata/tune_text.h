// Tunes written as pattern text: instruments made by the synthesiser, channels, bars of
// tracker rows, patterns made of bars per channel, and the order they play in. The format is
// described at the top of game/data/tunes/closure.txt.
#pragma once

#include <string_view>

#include "xm_file.h"

namespace tobrix::gamedata {

// Throws std::runtime_error naming the line of a mistake.
XmSong parseTune(std::string_view text);

// Seconds from the start until the song first passes its last order (speed and tempo as set
// in the header and by F effects).
double tuneSeconds(const XmSong& song);

}  // namespace tobrix::gamedata
