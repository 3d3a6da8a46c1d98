// How a song moves on through its orders and rows, shared by the formats' tick handlers:
// taking the pending position on tick 0, the row that follows, jumps, breaks and pattern
// loops, and the tick counter with its delays.
#pragma once

#include <cstdint>

#include "sound/music/song.h"

namespace korvo::sound::music {

// Rows of the pattern that the order plays.
std::int32_t orderRows(const Song& song, std::int32_t order);
// Takes the pending order and row and tells the callbacks; false when a song that does not
// loop has ended.
bool takePosition(Song& song);
// After a row: the next row unless a jump or break chose one (the next order after the
// pattern's last row, the restart order after the last order).
void advanceRow(Song& song);
// Next order := order, row 0 (past the song's end: 0 and finished).
void jumpToOrder(Song& song, std::int32_t order);
// Next row := row (rows beyond maxRow become 0) in the next order unless a jump chose one.
void breakToRow(Song& song, std::int32_t row, std::int32_t maxRow);
// Pattern loop: 0 marks the loop row, else the row is played count more times.
void patternLoop(Song& song, SongChannel& channel, std::int32_t count);
// Moves the tick counter on; a row lasts speed plus both delays. Speed 0 stops the rows.
void advanceTick(Song& song);

}  // namespace korvo::sound::music
