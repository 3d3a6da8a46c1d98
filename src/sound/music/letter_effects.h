// The effects that S3M and IT name by letter (A = 1 .. Z = 26), shared by both players: the
// tick-0 part and the part of every later tick, with the few rules where the formats differ.
#pragma once

#include <cstdint>

#include "sound/music/song.h"

namespace korvo::sound::music::letters {

enum Letter : std::uint8_t {
  kSpeed = 1,            // A
  kJump = 2,             // B
  kBreak = 3,            // C
  kVolumeSlide = 4,      // D
  kPortaDown = 5,        // E
  kPortaUp = 6,          // F
  kTonePorta = 7,        // G
  kVibrato = 8,          // H
  kTremor = 9,           // I
  kArpeggio = 10,        // J
  kVibratoSlide = 11,    // K
  kTonePortaSlide = 12,  // L
  kChannelVolume = 13,   // M
  kChannelSlide = 14,    // N
  kOffset = 15,          // O
  kPanSlide = 16,        // P
  kRetrigger = 17,       // Q
  kTremolo = 18,         // R
  kSpecial = 19,         // S
  kTempo = 20,           // T
  kFineVibrato = 21,     // U
  kGlobalVolume = 22,    // V
  kGlobalSlide = 23,     // W
  kPan = 24,             // X
  kPanbrello = 25,       // Y
  kMacro = 26,           // Z
};

// S sub-effects (the parameter's upper four bits).
enum Special : std::uint8_t {
  kSetFinetune = 0x2,
  kVibratoWave = 0x3,
  kTremoloWave = 0x4,
  kPanbrelloWave = 0x5,
  kFineRowDelay = 0x6,
  kNoteActions = 0x7,
  kFinePan = 0x8,
  kSurround = 0x9,
  kOldPan = 0xA,  // S3M: pan ((x + 8) mod 16) x 16; IT: high sample offset
  kLoop = 0xB,
  kNoteCut = 0xC,
  kNoteDelay = 0xD,
  kRowDelay = 0xE,
};

// Where the formats differ.
struct Rules {
  // Volume slides act on tick 0 too.
  bool fastSlides = false;
  // The highest global volume (64 or 128).
  std::int32_t globalTop = 64;
  // X sets the pan from 0..128 (doubled) rather than 0..255.
  bool halfPan = true;
  // C names its row in hexadecimal rather than decimal.
  bool hexBreak = false;
  // SAx gives the sample offset's high bits rather than a pan.
  bool highOffset = false;
  // The period of a note index for the voice's sample (for arpeggio).
  std::int32_t (*notePeriod)(const Song& song, const Voice& voice, std::int32_t note) = nullptr;
};

// Whether the cell waits for a note delay (SDx with x > 0).
bool isNoteDelay(const Cell& cell);
// The tick-0 part of the cell's effect; false for letters the caller handles itself.
bool rowEffect(Song& song, SongChannel& channel, Voice& voice, const Cell& cell, const Rules& rules);
// The part of a later tick; false for letters the caller handles itself.
bool tickEffect(Song& song, SongChannel& channel, Voice& voice, const Cell& cell, const Rules& rules);

}  // namespace korvo::sound::music::letters
