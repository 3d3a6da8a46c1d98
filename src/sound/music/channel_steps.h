// The tick handler that the MOD, S3M and XM players share: tick 0 plays the row (a note delay
// holds its cell back to its tick) and the later ticks run the row's effects. Each format
// brings its own steps for a channel.
#pragma once

#include <cstdint>

#include "sound/music/music_player.h"
#include "sound/music/song.h"

namespace korvo::sound::music {

struct ChannelSteps {
  // Whether the cell waits for a note delay (to the tick its parameter's low four bits name).
  bool (*isNoteDelay)(const Cell& cell);
  // Tick 0 of the cell up to its effect (note, instrument, volume column); the voice it plays on.
  Voice& (*startCell)(Song& song, MusicPlayer& player, SongChannel& channel, const Cell& cell);
  // The tick-0 part of the cell's effect.
  void (*rowEffect)(Song& song, SongChannel& channel, Voice& voice, const Cell& cell);
  // A later tick of the cell on the channel's voice, whose deltas are cleared.
  void (*tickEffect)(Song& song, SongChannel& channel, Voice& voice, const Cell& cell);
  // Applies every voice of the channel after its row or tick.
  void (*finishChannel)(const Song& song, MusicPlayer& player, SongChannel& channel);
};

// Runs one tick of the song with the format's steps.
void tickSong(Song& song, MusicPlayer& player, const ChannelSteps& steps);

// A tremolo (effect number tremolo) that the cell ends leaves the voice at the volume it reached.
void settleTremolo(const SongChannel& channel, Voice& voice, const Cell& cell, std::uint8_t tremolo);

// Tick 0 of a cell in a song whose samples stand for instruments: the channel's instrument and
// voice, the note at the sample's C-4 rate (a slide's note only sets the target), the channel's
// pan, and with an instrument its sample's volume. A key off is no note.
Voice& startSampleCell(Song& song, MusicPlayer& player, SongChannel& channel, const Cell& cell, bool slide,
                       std::uint8_t tremolo);

}  // namespace korvo::sound::music
