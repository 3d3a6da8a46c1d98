// The XM player's parts shared between row (tick 0) and tick processing.
#pragma once

#include <cstdint>

#include "sound/music/digit_effects.h"
#include "sound/music/effect_steps.h"
#include "sound/music/music_player.h"
#include "sound/music/song.h"

namespace korvo::sound::music::xm {

// XM effect numbers: 0..F are MOD's (shared), the letters count on from 10.
using enum digits::Effect;
using enum digits::Extended;
enum Effect : std::uint8_t {
  kGlobalVolume = 16,
  kGlobalVolumeSlide = 17,
  kKeyOffEffect = 20,
  kEnvelopePosition = 21,
  kPanSlide = 25,
  kMultiRetrig = 27,
  kTremor = 29,
  kExtraFinePorta = 33,
  kUserEffect = 35,
};

inline bool linear(const Song& s) { return (s.flags & kLinearPeriods) != 0; }

// Tick 0 of one channel: note, instrument, volume column and key off (steps before the
// effect); returns the voice the row plays on.
Voice& startCell(Song& song, MusicPlayer& player, SongChannel& channel, const Cell& cell);
// The tick-0 part of the row's effect.
void rowEffect(Song& song, SongChannel& channel, Voice& voice, const Cell& cell);
// Advances envelopes and fadeout by one tick.
void stepVoiceEnvelopes(Voice& voice);
// Auto-vibrato and applying every voice of the channel.
void finishChannel(const Song& song, MusicPlayer& player, SongChannel& channel);

}  // namespace korvo::sound::music::xm
