// The XM player's parts shared between row (tick 0) and tick processing.
#pragma once

#include <cstdint>

#include "sound/music/effect_steps.h"
#include "sound/music/music_player.h"
#include "sound/music/song.h"

namespace korvo::sound::music::xm {

// XM effect numbers (the letters count on from 10).
enum Effect : std::uint8_t {
  kArpeggio = 0,
  kPortaUp = 1,
  kPortaDown = 2,
  kTonePorta = 3,
  kVibrato = 4,
  kTonePortaVolSlide = 5,
  kVibratoVolSlide = 6,
  kTremolo = 7,
  kSetPan = 8,
  kSampleOffset = 9,
  kVolumeSlide = 10,
  kPositionJump = 11,
  kSetVolume = 12,
  kPatternBreak = 13,
  kExtended = 14,
  kSpeedTempo = 15,
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

// Extended (E) sub-effects.
enum Extended : std::uint8_t {
  kFinePortaUp = 0x1,
  kFinePortaDown = 0x2,
  kVibratoWave = 0x4,
  kFinetune = 0x5,
  kPatternLoop = 0x6,
  kTremoloWave = 0x7,
  kFinePan = 0x8,
  kRetrigger = 0x9,
  kFineVolumeUp = 0xA,
  kFineVolumeDown = 0xB,
  kNoteCut = 0xC,
  kNoteDelay = 0xD,
  kPatternDelay = 0xE,
};

inline bool isNoteDelay(const Cell& c) {
  return c.effect == kExtended && hi(c.param) == kNoteDelay && lo(c.param) != 0;
}
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
