// The position rules every format shares. A position the file cannot mean (an order beyond
// the song, a row beyond the pattern) falls back to its start.
#include "sound/music/song_clock.h"

namespace korvo::sound::music {

std::int32_t orderRows(const Song& song, std::int32_t order) {
  return song.patterns[song.orders[static_cast<std::size_t>(order)]].rows;
}

bool takePosition(Song& song) {
  if (song.endAtNextRow) {
    song.endAtNextRow = false;
    song.playing = false;
    song.finished = true;
    return false;
  }
  const std::int32_t oldOrder = song.order;
  const std::int32_t oldRow = song.row;
  if (song.nextOrder >= 0) song.order = song.nextOrder;
  if (song.nextRow >= 0) song.row = song.nextRow;
  song.nextOrder = song.nextRow = -1;
  if (song.order >= song.songLength) song.order = 0;
  if (song.row >= orderRows(song, song.order)) song.row = 0;
  if (song.order != oldOrder && song.callbacks.order) song.callbacks.order(song, song.order, song.callbacks.user);
  if ((song.row != oldRow || song.order != oldOrder) && song.callbacks.row) {
    song.callbacks.row(song, song.row, song.callbacks.user);
  }
  return true;
}

void advanceRow(Song& song) {
  if (song.nextRow >= 0) return;
  song.nextRow = song.row + 1;
  if (song.nextRow < orderRows(song, song.order)) return;
  song.nextRow = 0;
  song.nextOrder = song.order + 1;
  if (song.nextOrder >= song.songLength) {
    if (!song.looping) song.endAtNextRow = true;
    song.nextOrder = song.restartPosition;
    song.finished = true;
  }
}

void jumpToOrder(Song& song, std::int32_t order) {
  song.nextRow = 0;
  song.nextOrder = order;
  if (order >= song.songLength) {
    song.nextOrder = 0;
    song.finished = true;
  }
}

void breakToRow(Song& song, std::int32_t row, std::int32_t maxRow) {
  song.nextRow = row > maxRow ? 0 : row;
  if (song.nextOrder < 0) {
    song.nextOrder = song.order + 1;
    if (song.nextOrder >= song.songLength) {
      song.nextOrder = 0;
      song.finished = true;
    }
  }
}

void patternLoop(Song& song, SongChannel& c, std::int32_t count) {
  if (count == 0) {
    c.loopRow = song.row;
    return;
  }
  c.loopCount = c.loopCount == 0 ? count : c.loopCount - 1;
  if (c.loopCount != 0) song.nextRow = c.loopRow;
}

void advanceTick(Song& song) {
  if (song.speed != 0) {
    if (++song.tick >= song.speed + song.patternDelay + song.fineDelay) {
      song.tick = 0;
      song.patternDelay = 0;
      song.fineDelay = 0;
    }
  } else {
    song.tick = -1;
    song.finished = true;
  }
}

}  // namespace korvo::sound::music
