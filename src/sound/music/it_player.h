// The IT player's parts shared between its row handling and its voices.
#pragma once

#include <cstdint>

#include "sound/music/music_player.h"
#include "sound/music/song.h"

namespace korvo::sound::music::it {

// The period of note (0..119, C-5 = 60) for a sample, linear or from the period table.
std::int32_t notePeriod(const Song& song, const SongSample& sample, std::int32_t note);
// Starts the cell's note, note off, cut or fade on the channel (new-note actions and
// duplicate checks included); returns the channel's current voice.
Voice& startCell(Song& song, MusicPlayer& player, SongChannel& channel, const Cell& cell);
// The past-note actions of S7x (0 cut, 1 off, 2 fade the channel's background voices) and
// the new-note action override (3..6: cut, continue, off, fade).
void noteActions(MusicPlayer& player, SongChannel& channel, std::int32_t x);
// One tick of every voice of the channel: envelopes, fade, auto-vibrato; voices left behind
// that fell silent give their engine channels back; then each voice is applied.
void finishChannel(const Song& song, MusicPlayer& player, SongChannel& channel);
// The engine channel volume of a voice.
std::int32_t voiceVolume(const Song& song, const Voice& voice);

}  // namespace korvo::sound::music::it
