// The effects that MOD and XM number 0..F (with the extended E set), shared by both players:
// the tick-0 part and the part of every later tick of those whose meaning the formats share.
// Where they differ (slide memories, pans, fine slides, finetune) each player keeps its own.
#pragma once

#include <cstdint>

#include "sound/music/song.h"

namespace korvo::sound::music::digits {

// Numbered 0x0..0xF in this order.
enum Effect : std::uint8_t {
  kArpeggio,
  kPortaUp,
  kPortaDown,
  kTonePorta,
  kVibrato,
  kTonePortaVolSlide,
  kVibratoVolSlide,
  kTremolo,
  kSetPan,
  kSampleOffset,
  kVolumeSlide,
  kPositionJump,
  kSetVolume,
  kPatternBreak,
  kExtended,
  kSpeedTempo,
};

// Extended (E) sub-effects (the parameter's upper four bits): 0x1, 0x2, then 0x4..0xE in order.
enum Extended : std::uint8_t {
  kFinePortaUp = 0x1,
  kFinePortaDown,
  kVibratoWave = 0x4,
  kFinetune,
  kPatternLoop,
  kTremoloWave,
  kFinePan,
  kRetrigger,
  kFineVolumeUp,
  kFineVolumeDown,
  kNoteCut,
  kNoteDelay,
  kPatternDelay,
};
static_assert(kSpeedTempo == 0xF && kFinePortaDown == 0x2 && kPatternDelay == 0xE);

// The period change of the channel's voice for a note semitones above the channel's note.
using ArpeggioDelta = std::int32_t (*)(const Song& song, const SongChannel& channel, const Voice& voice,
                                       std::int32_t semitones);

// Whether the cell waits for a note delay (EDx with x > 0).
bool isNoteDelay(const Cell& cell);
// The tick-0 part of the cell's effect; false for effects the caller handles itself.
bool rowEffect(Song& song, SongChannel& channel, Voice& voice, const Cell& cell);
// The part of a later tick; false for effects the caller handles itself.
bool tickEffect(Song& song, SongChannel& channel, Voice& voice, const Cell& cell, ArpeggioDelta arpeggioDelta);

}  // namespace korvo::sound::music::digits
